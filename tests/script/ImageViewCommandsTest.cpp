#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "TestScriptHost.h"
#include "graphics/ImageCodec.h"
#include "script/ImageView.h"

namespace qlm {
namespace {

using test::MakeObject;
using test::MakePage;

std::string PngFile(uint32_t w, uint32_t h) {
  const Image24 picture{w, h, std::vector<uint8_t>(size_t{w} * h * 3, 0x40)};
  const std::vector<uint8_t> png = EncodePng(picture);
  return std::string(png.begin(), png.end());
}

// "Pic", an image object of 100 x 50 at (10,10) with a stored 20 x 10 picture, and the text
// object "Text"; the colour dialog chose 0,128,255. The files pic.png (30 x 20), "a,b.png"
// (8 x 6) and junk.png (no picture).
Project ImagePage() {
  Project project;
  project.pages.push_back(MakePage("A"));
  ObjectRecord pic = MakeObject("Pic", {10, 10, 110, 60});
  pic.typeCode = kObjImage;
  pic.stateImages[1].present = true;
  pic.stateImages[1].stored.data.image = {20, 10, std::vector<uint8_t>(20 * 10 * 3, 0x80)};
  ObjectRecord text = MakeObject("Text");
  text.typeCode = kObjText;
  project.pages[0].objects = {std::move(pic), std::move(text)};
  return project;
}

// The test host with a view for each image object.
class ViewHost : public test::TestScriptHost {
 public:
  ViewHost() : TestScriptHost(ImagePage()) {
    ShowPage();
    files["pic.png"] = PngFile(30, 20);
    files["a,b.png"] = PngFile(8, 6);
    files["junk.png"] = "not a picture";
    evaluator.SetText("CBK_SelColor", "0,128,255");
  }

  ImageView* ImageViewOf(ObjectRecord& object) override {
    return object.typeCode == kObjImage ? &views[&object] : nullptr;
  }
  ObjectRecord& Pic() { return pages.CurrentPage()->objects[0]; }
  const ImageView* View() {
    const auto it = views.find(&Pic());
    return it == views.end() ? nullptr : &it->second;
  }

  std::map<const ObjectRecord*, ImageView> views;
};

// What a view shows, as the cases below expect it.
struct Expected {
  int32_t zoom = 100;
  double angle = 0;
  int32_t scrollX = 0, scrollY = 0, originX = 0, originY = 0;
  bool background = false;
  uint32_t colour = 0xFFFFFF;
  uint32_t pictureWidth = 0;  // 0: the stored picture
  double opacity = 0.5;       // the record's fraction
};

// Argument forms, good and bad, each from a fresh object. A piece that is missing, empty or
// does not evaluate leaves the command without effect; nothing is reported.
TEST(ImageViewCommands, ArgumentForms) {
  struct Case {
    std::string script;
    std::function<void(Expected&)> expect;
  };
  const Case cases[] = {
      {"ZoomImageView(\"Pic\",\"200\")",
       // The picture point at the rectangle's centre stays there.
       [](Expected& e) { e.zoom = 200, e.scrollX = 50, e.scrollY = 25; }},
      {"Z=50\nZoomImageView(\"Pic\",\"Z\")", [](Expected& e) { e.zoom = 50; }},
      {"Z$='250'\nZoomImageView(\"Pic\",\"Z$\")",
       [](Expected& e) { e.zoom = 250, e.scrollX = 75, e.scrollY = 38; }},
      {"ZoomImageView(\"Pic\",\"   150,junk,more,ignored\")",
       [](Expected& e) { e.zoom = 150, e.scrollX = 25, e.scrollY = 13; }},
      {"ZoomImageView(\"Pic\",\"99999\")",
       [](Expected& e) { e.zoom = 3200, e.scrollX = 1550, e.scrollY = 775; }},
      {"ZoomImageView(\"Pic\",\"0\")", [](Expected&) {}},
      {"ZoomImageView(\"Pic\",\"-5\")", [](Expected&) {}},
      {"ZoomImageView(\"Pic\",\"\")", [](Expected&) {}},
      {"ZoomImageView(\"Pic\",\"2+*\")", [](Expected&) {}},
      {"RotateImageTo(\"Pic\",\"90\")", [](Expected& e) { e.angle = 90; }},
      {"RotateImageTo(\"Pic\",\"-90\")", [](Expected& e) { e.angle = 270; }},
      {"RotateImageTo(\"Pic\",\"765\")", [](Expected& e) { e.angle = 45; }},
      {"RotateImageTo(\"Pic\",\"22.5\")", [](Expected& e) { e.angle = 22.5; }},
      {"RotateImageTo(\"Pic\",\",90\")", [](Expected&) {}},
      {"RotateImageRel(\"Pic\",\"30\")\nRotateImageRel(\"Pic\",\"-45\")",
       [](Expected& e) { e.angle = 345; }},
      {"ZoomImageView(\"Pic\",\"200\")\nScrollImageView(\"Pic\",\"10,5\")",
       [](Expected& e) { e.zoom = 200, e.scrollX = 60, e.scrollY = 30; }},
      // Scrolling stops at the picture's edges; a missing piece scrolls by 0.
      {"ZoomImageView(\"Pic\",\"200\")\nScrollImageView(\"Pic\",\"1000,1000\")",
       [](Expected& e) { e.zoom = 200, e.scrollX = 100, e.scrollY = 50; }},
      {"ZoomImageView(\"Pic\",\"200\")\nScrollImageView(\"Pic\",\"-1000\")",
       [](Expected& e) { e.zoom = 200, e.scrollX = 0, e.scrollY = 25; }},
      {"ZoomImageView(\"Pic\",\"200\")\nScrollImageView(\"Pic\",\",-7\")",
       [](Expected& e) { e.zoom = 200, e.scrollX = 50, e.scrollY = 18; }},
      {"ScrollImageView(\"Pic\",\"30,30\")", [](Expected&) {}},  // the picture fits: no scroll
      {"SetImageOrigin(\"Pic\",\"20,10\")", [](Expected& e) { e.originX = 20, e.originY = 10; }},
      {"SetImageOrigin(\"Pic\",\",7\")", [](Expected& e) { e.originY = 7; }},
      {"SetImageOrigin(\"Pic\",\"5,1+*\")", [](Expected&) {}},
      {"ResizeImage(\"Pic\",\"40\")", [](Expected&) {}},
      {"ResizeImage(\"Pic\",\"0,30\")", [](Expected&) {}},
      {"ResizeImage(\"Pic\",\"40000,30\")", [](Expected&) {}},
      {"UseImageBkgColor(\"Pic\",\"1\")", [](Expected& e) { e.background = true; }},
      {"UseImageBkgColor(\"Pic\",\"true\")", [](Expected& e) { e.background = true; }},
      {"UseImageBkgColor(\"Pic\",\"1\")\nUseImageBkgColor(\"Pic\",\"FALSE\")", [](Expected&) {}},
      {"UseImageBkgColor(\"Pic\",\"1\")\nUseImageBkgColor(\"Pic\",\"0\")", [](Expected&) {}},
      {"UseImageBkgColor(\"Pic\",\"1\")\nUseImageBkgColor(\"Pic\",\"\")",
       [](Expected& e) { e.background = true; }},
      {"SetImageBkgColor(\"Pic\",\"255,0,0\")", [](Expected& e) { e.colour = 0x0000FF; }},
      {"SetImageBkgColor(\"Pic\",\"0,300\")", [](Expected& e) { e.colour = 0x00FF00; }},
      {"SetImageBkgColor(\"Pic\",\"  CBK_SelColor\")", [](Expected& e) { e.colour = 0xFF8000; }},
      {"SetImageBkgColor(\"Pic\",\"\")", [](Expected&) {}},
      {"ImageOpacity(\"Pic\",\"25\")", [](Expected& e) { e.opacity = 0.25; }},
      {"ImageOpacity(\"Pic\",\"150\")", [](Expected& e) { e.opacity = 1; }},
      {"ImageOpacity(\"Pic\",\"-3\")", [](Expected& e) { e.opacity = 0; }},
      {"ImageOpacity(\"Pic\",\"\")", [](Expected&) {}},
      // Files: the whole text names the file, commas included; a file that is missing or no
      // picture changes nothing.
      {"ZoomImageView(\"Pic\",\"200\")\nViewImage(\"Pic\",\"pic.png\")",
       [](Expected& e) { e.pictureWidth = 30; }},
      {"ViewImage(\"Pic\",\"a,b.png\")", [](Expected& e) { e.pictureWidth = 8; }},
      {"ViewImage(\"Pic\",\"missing.png\")", [](Expected&) {}},
      {"ViewImage(\"Pic\",\"junk.png\")", [](Expected&) {}},
      {"ZoomImageView(\"Pic\",\"200\")\nReplaceImage(\"Pic\",\"pic.png\")",
       [](Expected& e) { e.zoom = 200, e.scrollX = 50, e.scrollY = 25, e.pictureWidth = 30; }},
      // Back to the picture the view was loaded with, unturned and unzoomed; the background
      // and opacity stay.
      {"ViewImage(\"Pic\",\"pic.png\")\nReplaceImage(\"Pic\",\"a,b.png\")\n"
       "RotateImageTo(\"Pic\",\"45\")\nZoomImageView(\"Pic\",\"300\")\n"
       "UseImageBkgColor(\"Pic\",\"1\")\nImageOpacity(\"Pic\",\"80\")\nRestoreImage(\"Pic\")",
       [](Expected& e) { e.pictureWidth = 30, e.background = true, e.opacity = 0.8; }},
      {"ReplaceImage(\"Pic\",\"pic.png\")\nSetImageOrigin(\"Pic\",\"3,4\")\nRestoreImage(\"Pic\")",
       [](Expected&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    ViewHost host;
    ASSERT_TRUE(host.Run(c.script));
    EXPECT_TRUE(host.dialogs.boxes.empty());
    Expected e;
    c.expect(e);
    EXPECT_DOUBLE_EQ(host.Pic().ratio, e.opacity);
    const ImageView* view = host.View();
    const ImageView fresh;
    if (!view)
      view = &fresh;
    EXPECT_EQ(view->Zoom(), e.zoom);
    EXPECT_DOUBLE_EQ(view->Angle(), e.angle);
    EXPECT_EQ(view->ScrollX(), e.scrollX);
    EXPECT_EQ(view->ScrollY(), e.scrollY);
    EXPECT_EQ(view->OriginX(), e.originX);
    EXPECT_EQ(view->OriginY(), e.originY);
    EXPECT_EQ(view->UsesBackground(), e.background);
    EXPECT_EQ(view->Background(), e.colour);
    EXPECT_EQ(view->Picture() ? view->Picture()->width : 0u, e.pictureWidth);
  }
}

// Only image objects take the commands; a name that finds nothing does nothing.
TEST(ImageViewCommands, OtherObjectsAndMissingNamesAreLeftAlone) {
  ViewHost host;
  ASSERT_TRUE(
      host.Run("ZoomImageView(\"Text\",\"200\")\nImageOpacity(\"Text\",\"10\")\n"
               "ViewImage(\"Text\",\"pic.png\")\nZoomImageView(\"Nope\",\"200\")\n"
               "RestoreImage(\"Nope\")"));
  EXPECT_TRUE(host.views.empty());
  EXPECT_DOUBLE_EQ(host.pages.CurrentPage()->objects[1].ratio, 0.5);
  EXPECT_TRUE(host.invalidated.empty());
}

// A change repaints the object's rectangle; a command that changes nothing does not.
TEST(ImageViewCommands, RepaintsWhatChanged) {
  ViewHost host;
  ASSERT_TRUE(host.Run("ZoomImageView(\"Pic\",\"0\")\nViewImage(\"Pic\",\"missing.png\")"));
  EXPECT_TRUE(host.invalidated.empty());
  ASSERT_TRUE(host.Run("RotateImageRel(\"Pic\",\"10\")"));
  ASSERT_EQ(host.invalidated.size(), 1u);
  EXPECT_EQ(host.invalidated[0], (IntRect{10 - 2, 10 - 2, 110 + 2, 60 + 2}));
}

// The layout a view hands to drawing: the stored picture stretched to the rectangle, a loaded
// one at its own size, a fixed size from ResizeImage, all scaled by the zoom and centred on
// the picture's middle.
TEST(ImageView, PlacementFollowsSizeRuleZoomOriginAndScroll) {
  const IntRect rect{10, 10, 110, 60};
  ImageView view;
  ImagePlacement p = view.Placement(rect);
  EXPECT_DOUBLE_EQ(p.width, 100);
  EXPECT_DOUBLE_EQ(p.height, 50);
  EXPECT_DOUBLE_EQ(p.centreX, 60);
  EXPECT_DOUBLE_EQ(p.centreY, 35);
  view.Load(Image24{30, 20, std::vector<uint8_t>(30 * 20 * 3)});
  view.SetOrigin(5, 6, rect);
  p = view.Placement(rect);
  EXPECT_DOUBLE_EQ(p.width, 30);
  EXPECT_DOUBLE_EQ(p.centreX, 10 + 5 + 15);
  EXPECT_DOUBLE_EQ(p.centreY, 10 + 6 + 10);
  ASSERT_TRUE(view.Resize(200, 40, rect));
  view.ScrollBy(1000, 1000, rect);
  p = view.Placement(rect);
  EXPECT_EQ(view.ScrollX(), 105);  // origin 5 + width 200 - rectangle 100
  EXPECT_EQ(view.ScrollY(), 0);    // 6 + 40 stays inside the rectangle's 50
  EXPECT_DOUBLE_EQ(p.centreX, 10 + 5 - 105 + 100);
  // A loaded picture in the place of another keeps the fixed size.
  view.Replace(Image24{7, 7, std::vector<uint8_t>(7 * 7 * 3)}, rect);
  EXPECT_DOUBLE_EQ(view.Placement(rect).width, 200);
}

// A turned picture scrolls over its turned extent: 100 x 50 turned by 90 degrees stands 100
// high in a 50 high rectangle, reaching 25 above and below it.
TEST(ImageView, ScrollRangeFollowsTheTurnedPicture) {
  const IntRect rect{0, 0, 100, 50};
  ImageView view;
  view.RotateTo(90, rect);
  view.ScrollBy(-500, -500, rect);
  EXPECT_EQ(view.ScrollX(), 0);
  EXPECT_EQ(view.ScrollY(), -25);
  view.ScrollBy(500, 500, rect);
  EXPECT_EQ(view.ScrollX(), 0);
  EXPECT_EQ(view.ScrollY(), 25);
  // Turning back leaves no room to scroll.
  view.RotateTo(0, rect);
  EXPECT_EQ(view.ScrollY(), 0);
}

}  // namespace
}  // namespace qlm
