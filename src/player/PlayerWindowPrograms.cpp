// The player window's embedded-program objects: their programs start through the same launch
// policy as Run (consent, reach, the launch report and the failure's message), and the windows
// they show are held over the objects by the normal paint.
#include "platform/FileSystem.h"
#include "player/HitTest.h"
#include "player/ObjectPainter.h"
#include "player/PlayerWindow.h"

namespace qlm {

class PlayerWindow::ProgramGlue : public PaintRuntime, public ProgramHost {
 public:
  explicit ProgramGlue(PlayerWindow& window) : window_(window) {}

  std::unique_ptr<RunningProgram> Start(const ObjectRecord& object) override {
    LaunchOptions options;
    options.parameters = window_.macros_.Expand(ProgramParameters(object));
    std::unique_ptr<RunningProgram> program;
    window_.LaunchThroughPolicy(window_.macros_.Expand(ProgramFile(object)), options.parameters,
                                options, [&](const LaunchPlan& plan, const LaunchOptions&) {
                                  uint32_t result = plan.failure;
                                  program = window_.ctx_.processes->Start(plan, result);
                                  return result;
                                });
    return program;
  }
  IntRect RectOf(const ObjectRecord& object) override {
    return window_.objectStates_.RectOf(object);
  }
  bool Shown(const ObjectRecord& object) override { return ObjectPainter::IsShown(object); }
  void HoldChanged(const ObjectRecord& object) override {
    // Whether the object holds a window is part of the page's layout: the objects above it
    // clip it from the next paint on.
    window_.objectStates_.LayoutChanged();
    window_.Invalidate(window_.objectStates_.RectOf(object), false);
  }

  // PaintRuntime: the window held, and what the objects above the object leave of it.
  ObjectPaintState StateOf(const ObjectRecord& object) override {
    ObjectPaintState state;
    state.holdsChildWindow = window_.programs_->HoldsWindow(object);
    return state;
  }
  void SetChildWindowRegion(const ObjectRecord& object, const IntRect& rect,
                            const std::vector<IntRect>& covered) override {
    window_.programs_->Clip(object, rect, covered);
  }

 private:
  PlayerWindow& window_;
};

void PlayerWindow::InitPrograms() {
  auto glue = std::make_unique<ProgramGlue>(*this);
  programs_ = std::make_unique<ProgramObjects>(ctx_.loop, ctx_.programWindows, *glue);
  paintRuntime_.SetProgramPainter(glue.get());
  RegisterProgramCommands(*runner_, *programs_);
  programGlue_ = std::move(glue);
}

void PlayerWindow::SetUpPrograms() {
  programs_->PagesShown(ShownObjectsOfKind(pages_, kObjProgram));
}

}  // namespace qlm
