#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SystemInformation.h"

namespace qlm {

class Dialogs;

enum class MouseButton { kLeft, kRight, kMiddle };

// Sizes of the player window and of the screen, in pixels.
struct WindowMetrics {
  int windowLeft = 0, windowTop = 0;  // outer rectangle, screen coordinates
  int windowWidth = 0, windowHeight = 0;
  int clientWidth = 0, clientHeight = 0;
  int screenWidth = 0, screenHeight = 0;
  int workAreaWidth = 0, workAreaHeight = 0;
  int screenColorBits = 0;
};

// Settings of an open video player.
struct VideoParameters {
  bool fullScreen = false, loop = false, mute = false;
  bool mediaTimeFormat = false, frameTimeFormat = false;
};

// A page object as the information functions see it.
struct ObjectInfo {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool visible = true;
  int kind = 0;
  bool hasImage = false;
  int imageCellWidth = 0, imageCellHeight = 0;
  int imageGridColumns = 1;
  bool hasStoredImageSize = false;  // the second stored image size is in use
  int storedImageWidth = 0, storedImageHeight = 0;
  int imageScrollX = 0, imageScrollY = 0;
  int scrollBarSize = 0;                 // thickness taken by the object's scroll bars
  double opacity = 1.0;                  // a fraction, for image objects
  std::optional<VideoParameters> video;  // set for a video object with an open player
};

// The window whose state the built-in functions read. The live evaluator has one; evaluators
// that only check syntax have none, and every function that needs it gives 0 or "".
class EvaluatorOwner {
 public:
  virtual ~EvaluatorOwner() = default;

  // Cursor position in client coordinates of the player window.
  virtual void MousePosition(int& x, int& y) const = 0;
  virtual bool IsMouseButtonDown(MouseButton button) const = 0;
  virtual WindowMetrics Metrics() const = 0;
  // The background window when the project uses one and it exists, else the player window.
  virtual bool IsMinimized() const = 0;
  virtual SystemInformation SystemInfo() const = 0;

  // The object of that name on the current page, the Master Page or the Master Layer, found as
  // the command argument lookup finds it.
  virtual std::optional<ObjectInfo> FindObjectInfo(const std::string& name) const = 0;

  // The play list: its length and item index (1-based).
  virtual int PlayListCount() const = 0;
  virtual std::string PlayListItem(int index) const = 0;

  // Name of the object whose script is running; empty when none.
  virtual std::string RunningObjectName() const = 0;

  // Where message boxes of the file functions go.
  virtual Dialogs& GetDialogs() = 0;
};

}  // namespace qlm
