#include "video/TestClip.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <vector>

namespace qlm::test {

namespace {

constexpr int kStripes = 8;

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// Frame n as B, G, R bytes.
std::vector<uint8_t> Picture(const ClipSpec& spec, int n) {
  std::vector<uint8_t> bgr(static_cast<size_t>(spec.width) * spec.height * 3);
  const uint32_t colour = ClipColour(n);
  for (int y = 0; y < spec.height; ++y) {
    for (int x = 0; x < spec.width; ++x) {
      uint32_t rgb = colour;
      if (spec.textured) {
        const uint32_t noise = (static_cast<uint32_t>(x * 7 + y * 13 + n * 5) * 2654435761u) >> 8;
        rgb ^= noise & 0x3F3F3F;
      }
      if (y < spec.height / 2) {
        const int bit = x * kStripes / spec.width;
        rgb = (n >> bit) & 1 ? 0xFFFFFF : 0x000000;
      }
      uint8_t* p = &bgr[(static_cast<size_t>(y) * spec.width + x) * 3];
      p[0] = static_cast<uint8_t>(rgb);
      p[1] = static_cast<uint8_t>(rgb >> 8);
      p[2] = static_cast<uint8_t>(rgb >> 16);
    }
  }
  return bgr;
}

}  // namespace

uint32_t ClipColour(int frame) {
  static constexpr uint32_t kColours[] = {0xC00000, 0x00C000, 0x0000C0,
                                          0xC0C000, 0x00C0C0, 0xC000C0};
  return kColours[frame % 6];
}

int ReadClipFrame(const Surface& surface, const IntRect& rect) {
  int frame = 0;
  const int y = rect.top + rect.Height() / 4;
  for (int bit = 0; bit < kStripes; ++bit) {
    const int x = rect.left + (2 * bit + 1) * rect.Width() / (2 * kStripes);
    const uint32_t p = surface.Pixel(x, y);
    const int level = static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
    if (level > 200)
      frame |= 1 << bit;
    else if (level > 55)
      return -1;
  }
  return frame;
}

bool WriteTestClip(const std::filesystem::path& file, const ClipSpec& spec, std::string& error) {
  av_log_set_level(AV_LOG_ERROR);
  AVCodecID id = AV_CODEC_ID_RAWVIDEO;
  AVPixelFormat format = AV_PIX_FMT_BGR24;
  const char* container = "avi";
  if (spec.codec == ClipCodec::kMjpeg) {
    id = AV_CODEC_ID_MJPEG;
    format = AV_PIX_FMT_YUVJ420P;
  } else if (spec.codec == ClipCodec::kMpeg1 || spec.codec == ClipCodec::kMpeg1Avi) {
    id = AV_CODEC_ID_MPEG1VIDEO;
    format = AV_PIX_FMT_YUV420P;
    if (spec.codec == ClipCodec::kMpeg1)
      container = "mpeg";
  }
  AVFormatContext* out = nullptr;
  int r = avformat_alloc_output_context2(&out, nullptr, container, file.c_str());
  if (r < 0) {
    error = ErrorText(r);
    return false;
  }
  std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> outOwner(out,
                                                                        [](AVFormatContext* f) {
                                                                          if (f->pb)
                                                                            avio_closep(&f->pb);
                                                                          avformat_free_context(f);
                                                                        });
  const AVCodec* encoder = avcodec_find_encoder(id);
  if (!encoder) {
    error = "no encoder";
    return false;
  }
  std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> codec(
      avcodec_alloc_context3(encoder), [](AVCodecContext* c) { avcodec_free_context(&c); });
  codec->width = spec.width;
  codec->height = spec.height;
  codec->pix_fmt = format;
  codec->time_base = AVRational{1, spec.fps};
  codec->framerate = AVRational{spec.fps, 1};
  codec->gop_size = 12;
  codec->max_b_frames = 0;
  codec->bit_rate = static_cast<int64_t>(spec.width) * spec.height * spec.fps / 2;
  if (spec.codec == ClipCodec::kMjpeg) {
    codec->flags |= AV_CODEC_FLAG_QSCALE;
    codec->global_quality = FF_QP2LAMBDA * 2;
  }
  if (out->oformat->flags & AVFMT_GLOBALHEADER)
    codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if ((r = avcodec_open2(codec.get(), encoder, nullptr)) < 0) {
    error = ErrorText(r);
    return false;
  }
  AVStream* stream = avformat_new_stream(out, nullptr);
  stream->time_base = codec->time_base;
  avcodec_parameters_from_context(stream->codecpar, codec.get());
  if ((r = avio_open(&out->pb, file.c_str(), AVIO_FLAG_WRITE)) < 0 ||
      (r = avformat_write_header(out, nullptr)) < 0) {
    error = ErrorText(r);
    return false;
  }
  SwsContext* scaler = sws_getContext(spec.width, spec.height, AV_PIX_FMT_BGR24, spec.width,
                                      spec.height, format, SWS_POINT, nullptr, nullptr, nullptr);
  AVFrame* frame = av_frame_alloc();
  frame->format = format;
  frame->width = spec.width;
  frame->height = spec.height;
  av_frame_get_buffer(frame, 0);
  AVPacket* packet = av_packet_alloc();
  auto drain = [&]() {
    while (avcodec_receive_packet(codec.get(), packet) == 0) {
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      av_interleaved_write_frame(out, packet);
    }
  };
  for (int n = 0; n < spec.frames; ++n) {
    av_frame_make_writable(frame);
    const std::vector<uint8_t> bgr = Picture(spec, n);
    const uint8_t* planes[1] = {bgr.data()};
    const int strides[1] = {spec.width * 3};
    sws_scale(scaler, planes, strides, 0, spec.height, frame->data, frame->linesize);
    frame->pts = n;
    avcodec_send_frame(codec.get(), frame);
    drain();
  }
  avcodec_send_frame(codec.get(), nullptr);
  drain();
  av_write_trailer(out);
  av_packet_free(&packet);
  av_frame_free(&frame);
  sws_freeContext(scaler);
  return true;
}

}  // namespace qlm::test
