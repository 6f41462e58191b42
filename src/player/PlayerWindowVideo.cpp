// The player window's video objects: their pictures are drawn into the page by the normal
// paint, so objects above a video cover it and screenshots show it; the window's clock drives
// them, which headless is the virtual clock.
#include "player/PlayerWindow.h"
#include "script/CommandHelpers.h"

namespace qlm {

class PlayerWindow::VideoGlue : public PaintRuntime, public VideoHost {
 public:
  explicit VideoGlue(PlayerWindow& window) : window_(window) {}

  // PaintRuntime: the picture of a video object at its size.
  ObjectPaintState StateOf(const ObjectRecord& object) override {
    ObjectPaintState state;
    state.videoPicture =
        window_.videos_->PictureOf(object, object.rect.Width(), object.rect.Height());
    return state;
  }
  const VideoPicture* FullScreenVideo(int width, int height) override {
    return window_.videos_->FullScreenPicture(width, height);
  }

  // VideoHost.
  void RepaintVideoRect(const IntRect& rect) override { window_.Invalidate(rect, false); }
  void VideoResized(ObjectRecord& /*object*/) override { window_.objectStates_.LayoutChanged(); }
  void RepaintWindowNow() override {
    window_.InvalidateAll(false);
    window_.Paint();
  }
  ObjectRecord* FindVideoObject(const std::string& name) override {
    ObjectRecord* object = window_.FindNamedObject(name);
    return object && object->typeCode == kObjVideo ? object : nullptr;
  }
  void RunVideoEndStep(ObjectRecord& object) override {
    window_.RunObjectScript(object, ScriptSlot::kNotifyA);
  }
  void FullScreenVideosChanged(int count) override { window_.input_.SetFullScreenVideos(count); }

 private:
  PlayerWindow& window_;
};

void PlayerWindow::InitVideos() {
  auto glue = std::make_unique<VideoGlue>(*this);
  videos_ =
      std::make_unique<VideoObjects>(ctx_.loop, ctx_.videos, &ctx_.files, ctx_.dialogs, *glue);
  videos_->SetPublishing(&Variables(), this);
  paintRuntime_.SetVideoPainter(glue.get());
  videoGlue_ = std::move(glue);
  RegisterVideoCommands(*runner_, *videos_);
}

double PlayerWindow::VideoAction(ObjectRecord& target, int action, double value) {
  const std::string file = action == video_action::kPlay ? macros_.Expand(target.text) : "";
  return videos_->Action(target, PageOf(pages_, &target), action, value, 0, file);
}

}  // namespace qlm
