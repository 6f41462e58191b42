// A page of hundreds of overlapping objects changed through the commands scripts use: after
// each change, the page repainted in small boxes (each asking only the objects near it) has
// exactly the pixels of a whole repaint, and the mouse finds the topmost shown object under it.

#include <gtest/gtest.h>

#include <string>

#include "InputFixture.h"
#include "PaintFixture.h"
#include "player/HitTest.h"

namespace qlm {
namespace {

using test::InputPlayer;
using test::Object;
using test::Pages;

Project CrowdedPage() {
  Project project = Pages({"One"}, 640, 480);
  std::vector<ObjectRecord>& objects = project.pages[0].objects;
  const int32_t kinds[] = {kObjRectangle, kObjCircle, kObjText, kObjLine, kObjPolygon};
  for (uint32_t i = 0; i < 400; ++i) {
    const int32_t x = static_cast<int32_t>(i % 20) * 32, y = static_cast<int32_t>(i / 20) * 24;
    ObjectRecord o = Object(kinds[i % 5], "O" + std::to_string(i), {x, y, x + 48, y + 36});
    SetObjectColour(o, ColourSlot::kFill, (0x3F1D07u * (i + 1)) & 0xFFFFFF);
    SetObjectColour(o, ColourSlot::kBorder, (0x0B2F53u * (i + 3)) & 0xFFFFFF);
    SetBorderStyle(o, i % 4);
    o.text = "Text " + std::to_string(i);
    o.points1 = {{0, 0}, {47, 12}, {20, 35}};
    if (i == 150) {
      // A video object shows its still picture until it plays.
      o.typeCode = kObjVideo;
      test::SetImage(o, 1, test::Picture(12, 8, 0x0000FF, 0x00FFFF, 3));
    }
    objects.push_back(std::move(o));
  }
  // An alias shows another object where the alias lies.
  ObjectRecord alias = Object(kObjRectangle, "Alias", {250, 170, 260, 180});
  alias.noImages = 1;
  alias.text = "One::O33";
  objects.push_back(std::move(alias));
  return project;
}

TEST(LargePageRepaint, SmallRepaintsAndHitsMatchTheWholePage) {
  const char* const kSteps[] = {
      "MoveObject(\"O45\",\"170,60\")",        // moved a little
      "MoveObject(\"O46\",\"190,50,70,50\")",  // moved and resized
      "MoveObject(\"O47\",\"220,50,8,6\")",    // shrunk
      "Hide(\"O120\")",
      "Show(\"O120\")",
      "ReorderObject(\"O121\",\"FRONT\")",  // now drawn last
      "ReorderObject(\"O399\",\"BACK\")",   // now drawn first
      "DeleteObject(\"O122\")",             // every later object moves down the list
      "CreateRectangle(\"New\",\"N$,300,200,30,20,255,0,0\")",
      "MoveObject(\"New\",\"310,205\")",
      "MoveObject(\"O0\",\"-10,-8\")",   // partly off the page
      "MoveObject(\"O33\",\"500,20\")",  // the alias's source moved far away
      "VideoScale(\"O150\",\"90,70\")",  // the video took another size
      "MoveTo(\"O200\",\"340,250,3\")",  // moved in steps
  };
  InputPlayer p(CrowdedPage());
  constexpr int kTileW = 64, kTileH = 48;
  for (const char* step : kSteps) {
    SCOPED_TRACE(step);
    p.window->RunScriptText(step);
    p.loop.Run(50);
    for (int y = 0; y < 480; y += kTileH) {
      for (int x = 0; x < 640; x += kTileW) {
        p.window->Invalidate(IntRect::FromSize(x, y, kTileW, kTileH), true);
        p.window->Paint();
      }
    }
    const Surface tiled = p.window->Frame();
    p.window->InvalidateAll(true);
    p.window->Paint();
    ASSERT_TRUE(p.window->Frame() == tiled);
    const PageRecord& page = *p.window->Pages().CurrentPage();
    const ObjectStates& states = p.window->States();
    for (int y = -12; y < 500; y += 7) {
      for (int x = -12; x < 660; x += 9) {
        std::optional<size_t> topmost;
        for (size_t i = 0; i < page.objects.size(); ++i) {
          if (!IsHidden(page.objects[i]) && states.RectOf(page.objects[i]).Contains(x, y))
            topmost = i;
        }
        ASSERT_EQ(HitTestPage(page, x, y, states), topmost) << x << "," << y;
      }
    }
  }
  // The commands did change the page.
  EXPECT_EQ(p.Find("One::New").rect, (IntRect{310, 205, 340, 225}));
  EXPECT_EQ(p.Find("One::O150").rect, (IntRect{320, 168, 410, 238}));
}

}  // namespace
}  // namespace qlm
