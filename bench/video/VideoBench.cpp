// Video into the page: a 640 x 480 MPEG-1 clip (moving noise over colour blocks) decoded, converted
// and composed into a 1024 x 768 page frame after frame, against the bare decoder decoding the same
// frames in the same run. "x_bare" is the composed time per frame over the bare decoder's;
// "cpu_25fps" is the share of one core that real-time playback of a 25 fps clip takes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "document/PageManager.h"
#include "graphics/Font.h"
#include "mediamodule/FfmpegFile.h"
#include "mediamodule/FfmpegVideoDecoders.h"
#include "player/ObjectPainter.h"
#include "player/PagePainter.h"
#include "video/TestClip.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

constexpr int kPageWidth = 1024;
constexpr int kPageHeight = 768;
constexpr int kFrames = 50;
const IntRect kVideo = IntRect::FromSize(192, 144, 640, 480);

const fs::path& Clip() {
  static const fs::path file = [] {
    const fs::path path = fs::temp_directory_path() / "qlm_bench_clip_640x480_textured.mpg";
    std::string error;
    test::WriteTestClip(path, {640, 480, kFrames, 25, test::ClipCodec::kMpeg1, true}, error);
    return path;
  }();
  return file;
}

// Decodes every frame of the clip once, converting nothing.
void DecodeBare(ffmpeg::OpenedStream& in, AVPacket* packet, AVFrame* frame) {
  av_seek_frame(in.format.get(), in.index, 0, AVSEEK_FLAG_BACKWARD);
  avcodec_flush_buffers(in.codec.get());
  int frames = 0;
  bool draining = false;
  while (frames < kFrames) {
    const int r = avcodec_receive_frame(in.codec.get(), frame);
    if (r == 0) {
      ++frames;
      continue;
    }
    if (r != AVERROR(EAGAIN) || draining)
      break;
    if (av_read_frame(in.format.get(), packet) < 0) {
      avcodec_send_packet(in.codec.get(), nullptr);
      draining = true;
      continue;
    }
    if (packet->stream_index == in.index)
      avcodec_send_packet(in.codec.get(), packet);
    av_packet_unref(packet);
  }
}

// The page: a background colour, the video object and a caption above it.
class Scene : public PaintRuntime {
 public:
  Scene() : objects_(fonts_, CodePage()), painter_(objects_), frame_(kPageWidth, kPageHeight) {
    page_.backgroundColour = 0x202020;
    ObjectRecord video = ObjectRecord::Fresh();
    video.typeCode = kObjVideo;
    video.name = "Video";
    video.rect = kVideo;
    page_.objects.push_back(video);
    ObjectRecord caption = ObjectRecord::Fresh();
    caption.typeCode = kObjRectangle;
    caption.rect = IntRect::FromSize(192, 600, 640, 40);
    caption.colours[1] = 0xFFFFFF;
    page_.objects.push_back(caption);
    settings_.clientWidth = kPageWidth;
    settings_.clientHeight = kPageHeight;
    layers_.background = &page_;
    layers_.objectLayers = {&page_};
  }

  ObjectPaintState StateOf(const ObjectRecord& object) override {
    ObjectPaintState state;
    if (object.typeCode == kObjVideo)
      state.videoPicture = picture_;
    return state;
  }

  // One frame as the window composes it: the video's box painted in place in the frame.
  void Compose(const VideoPicture* picture) {
    picture_ = picture;
    painter_.Paint(frame_, {0, 0}, kVideo, &page_, layers_, settings_, *this);
  }

 private:
  PageRecord page_;
  FontCache fonts_;
  ObjectPainter objects_;
  PagePainter painter_;
  PageComposition layers_;
  FrameSettings settings_;
  Surface frame_;
  const VideoPicture* picture_ = nullptr;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_DecodeAndComposeIntoPage(benchmark::State& state) {
  std::string error;
  ffmpeg::OpenedStream bare;
  RefusedReferences refused;
  if (!ffmpeg::OpenStream(Clip(), AVMEDIA_TYPE_VIDEO, bare, error, false, refused)) {
    state.SkipWithError(error.c_str());
    return;
  }
  ffmpeg::PacketPtr packet(av_packet_alloc());
  ffmpeg::FramePtr frame(av_frame_alloc());
  FfmpegVideoDecoders decoders({});
  std::unique_ptr<VideoStream> stream = decoders.Open(Clip(), error, refused);
  if (!stream) {
    state.SkipWithError(error.c_str());
    return;
  }
  Scene scene;
  double composed = 0, alone = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < kFrames; ++n)
      scene.Compose(stream->PictureAt(n * 40.0, kVideo.Width(), kVideo.Height()));
    composed += SecondsSince(start);
    start = std::chrono::steady_clock::now();
    DecodeBare(bare, packet.get(), frame.get());
    alone += SecondsSince(start);
  }
  const double frames = static_cast<double>(state.iterations()) * kFrames;
  state.counters["x_bare"] = composed / alone;
  state.counters["ms_frame"] = composed / frames * 1000;
  state.counters["bare_ms_frame"] = alone / frames * 1000;
  state.counters["cpu_25fps"] = composed / frames / 0.040;
}
BENCHMARK(BM_DecodeAndComposeIntoPage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qlm
