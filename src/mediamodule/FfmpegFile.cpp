#include "mediamodule/FfmpegFile.h"

namespace qlm::ffmpeg {

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

namespace {

// A file the media file names, refused. While the file is being opened `opaque` holds the text
// that says which.
int RefuseNamedFile(AVFormatContext* s, AVIOContext** /*pb*/, const char* url, int /*flags*/,
                    AVDictionary** /*options*/) {
  if (auto* refused = static_cast<std::string*>(s->opaque); refused && refused->empty())
    *refused = url ? url : "";
  return AVERROR(EPERM);
}

}  // namespace

bool OpenStream(const std::filesystem::path& file, AVMediaType type, OpenedStream& out,
                std::string& error, bool followReferences) {
  AVDictionary* fileOnly = nullptr;
  if (!followReferences)
    av_dict_set(&fileOnly, "protocol_whitelist", "file", 0);
  // The file itself is opened here, as a file whatever its name, so the demuxer never opens
  // a path or an address by itself.
  AVIOContext* io = nullptr;
  int r = avio_open2(&io, ("file:" + file.string()).c_str(), AVIO_FLAG_READ, nullptr, &fileOnly);
  av_dict_free(&fileOnly);
  if (r < 0) {
    error = "cannot be read (" + ErrorText(r) + ")";
    return false;
  }
  AVFormatContext* raw = avformat_alloc_context();
  if (!raw) {
    avio_closep(&io);
    error = "out of memory";
    return false;
  }
  raw->pb = io;
  raw->flags |= AVFMT_FLAG_CUSTOM_IO;
  std::string refused;
  if (!followReferences) {
    raw->io_open = RefuseNamedFile;
    raw->opaque = &refused;
    av_dict_set(&fileOnly, "protocol_whitelist", "file", 0);
  }
  r = avformat_open_input(&raw, file.c_str(), nullptr, &fileOnly);
  av_dict_free(&fileOnly);
  if (r < 0) {
    // On failure the input is freed, but not the reader opened here.
    avio_closep(&io);
    error = refused.empty() ? "not a media file (" + ErrorText(r) + ")"
                            : "it names another file (" + refused + "), which is not read";
    return false;
  }
  out.format.reset(raw);
  r = avformat_find_stream_info(raw, nullptr);
  raw->opaque = nullptr;
  if (r < 0 || (!refused.empty() && raw->nb_streams == 0)) {
    error = refused.empty() ? "unreadable streams (" + ErrorText(r) + ")"
                            : "it names another file (" + refused + "), which is not read";
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
