#pragma once

// Owning handles of FFmpeg's objects and the opening of one decodable stream of a file.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

#include "platform/MediaFile.h"

namespace qlm::ffmpeg {

// Closes the input and the reader of its file, which OpenStream opens itself.
struct FormatCloser {
  void operator()(AVFormatContext* f) const {
    AVIOContext* io = (f->flags & AVFMT_FLAG_CUSTOM_IO) ? f->pb : nullptr;
    avformat_close_input(&f);
    avio_closep(&io);
  }
};
struct CodecFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScalerFreer {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct ResamplerFreer {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFreer>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFreer>;

// The best stream of `type` in `file` with its decoder open; the other streams are not read.
// False, with the reason in `error`, when there is none that decodes. The bytes come from
// `file.read`; `file.named` is the name formats are guessed by and names inside are relative
// to. Only the file itself is read: what it names (segments of a stream list, the entries of a
// concat list, external references) is not opened but added to `refused`, unless
// `followReferences` (a presentation trusted with everything).
struct OpenedStream {
  FormatPtr format;
  CodecPtr codec;
  int index = -1;
};
bool OpenStream(const MediaFile& file, AVMediaType type, OpenedStream& out, std::string& error,
                bool followReferences, RefusedReferences& refused);

// FFmpeg's text for an error code.
std::string ErrorText(int code);

}  // namespace qlm::ffmpeg
