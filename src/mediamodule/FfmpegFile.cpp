#include "mediamodule/FfmpegFile.h"

#include "mediamodule/ListedReferences.h"

namespace qlm::ffmpeg {

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

namespace {

// What a file being opened names, refused: every file or address the demuxer tries to open.
struct Refusals {
  const MediaFile* file = nullptr;
  RefusedReferences* names = nullptr;
};

int RefuseNamedFile(AVFormatContext* s, AVIOContext** /*pb*/, const char* url, int /*flags*/,
                    AVDictionary** /*options*/) {
  // A demuxer that opens its own file again (a stream list reloading itself) names nothing new.
  if (auto* refusals = static_cast<Refusals*>(s->opaque); refusals && url &&
                                                          url != refusals->file->named.string() &&
                                                          url != refusals->file->read.string()) {
    AddRefused(*refusals->names, url);
  }
  return AVERROR(EPERM);
}

}  // namespace

bool OpenStream(const MediaFile& file, AVMediaType type, OpenedStream& out, std::string& error,
                bool followReferences, RefusedReferences& refused) {
  AVDictionary* fileOnly = nullptr;
  if (!followReferences)
    av_dict_set(&fileOnly, "protocol_whitelist", "file", 0);
  // The file itself is opened here, as a file whatever its name, so the demuxer never opens
  // a path or an address by itself.
  AVIOContext* io = nullptr;
  int r =
      avio_open2(&io, ("file:" + file.read.string()).c_str(), AVIO_FLAG_READ, nullptr, &fileOnly);
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
  const size_t refusedBefore = refused.size();
  Refusals refusals{&file, &refused};
  if (!followReferences) {
    raw->io_open = RefuseNamedFile;
    raw->opaque = &refusals;
    av_dict_set(&fileOnly, "protocol_whitelist", "file", 0);
  }
  // The bytes come from the reader opened above; the name only lets the format be guessed by
  // its extension and what the file names be found beside it.
  r = avformat_open_input(&raw, file.named.c_str(), nullptr, &fileOnly);
  av_dict_free(&fileOnly);
  const auto namesOther = [&] {
    return "it names another file (" + refused[refusedBefore] + "), which is not read";
  };
  if (r < 0) {
    // On failure the input is freed, but not the reader opened here.
    avio_closep(&io);
    error =
        refused.size() == refusedBefore ? "not a media file (" + ErrorText(r) + ")" : namesOther();
    return false;
  }
  out.format.reset(raw);
  r = avformat_find_stream_info(raw, nullptr);
  raw->opaque = nullptr;
  if (r < 0 || (refused.size() > refusedBefore && raw->nb_streams == 0)) {
    error = refused.size() == refusedBefore ? "unreadable streams (" + ErrorText(r) + ")"
                                            : namesOther();
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
