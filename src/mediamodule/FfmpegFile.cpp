#include "mediamodule/FfmpegFile.h"

namespace qlm::ffmpeg {

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

bool OpenStream(const std::filesystem::path& file, AVMediaType type, OpenedStream& out,
                std::string& error) {
  AVFormatContext* raw = nullptr;
  int r = avformat_open_input(&raw, file.c_str(), nullptr, nullptr);
  if (r < 0) {
    error = "not a media file (" + ErrorText(r) + ")";
    return false;
  }
  out.format.reset(raw);
  r = avformat_find_stream_info(raw, nullptr);
  if (r < 0) {
    error = "unreadable streams (" + ErrorText(r) + ")";
    return false;
  }
  const AVCodec* decoder = nullptr;
  out.index = av_find_best_stream(raw, type, -1, -1, &decoder, 0);
  if (out.index < 0 || !decoder) {
    error = out.index == AVERROR_DECODER_NOT_FOUND ? "no decoder for its codec"
            : type == AVMEDIA_TYPE_VIDEO           ? "no video stream"
                                                   : "no sound stream";
    return false;
  }
  out.codec.reset(avcodec_alloc_context3(decoder));
  if (!out.codec ||
      avcodec_parameters_to_context(out.codec.get(), raw->streams[out.index]->codecpar) < 0) {
    error = "cannot set up the decoder";
    return false;
  }
  // One thread: the pictures are the same either way, and frames are asked for one at a time.
  out.codec->thread_count = 1;
  r = avcodec_open2(out.codec.get(), decoder, nullptr);
  if (r < 0) {
    error = std::string("cannot open the ") + decoder->name + " decoder (" + ErrorText(r) + ")";
    return false;
  }
  for (unsigned i = 0; i < raw->nb_streams; ++i) {
    raw->streams[i]->discard = static_cast<int>(i) == out.index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  return true;
}

}  // namespace qlm::ffmpeg
