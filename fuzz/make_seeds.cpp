// Writes the seed corpora of the fuzz targets into OUTPUT_FOLDER/<target>/: documents of every
// format version, stand-alone files of both kinds, scripts that use each command group, events
// files, profiles, play lists and small images of each format.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "document/ObjectFields.h"
#include "document/ProjectWriter.h"
#include "document/StandaloneContainer.h"
#include "graphics/ImageCodec.h"
#include "support/EmfFile.h"
#include "support/GifFile.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& dir, const std::string& name, const std::vector<uint8_t>& bytes,
           int prefix = -1) {
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary);
  if (prefix >= 0)
    out.put(static_cast<char>(prefix));
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& dir, const std::string& name, const std::string& text,
               int prefix = -1) {
  Write(dir, name, std::vector<uint8_t>(text.begin(), text.end()), prefix);
}

qlm::Project SampleProject() {
  qlm::Project project;
  project.settings.title = "Seed";
  for (const char* name : {"One", "Two"}) {
    qlm::PageRecord page;
    page.name = name;
    qlm::ObjectRecord box = qlm::ObjectRecord::Fresh();
    box.typeCode = qlm::kObjRectangle;
    box.extended = true;
    box.name = "Box";
    box.rect = {10, 10, 60, 40};
    page.objects.push_back(box);
    qlm::ObjectRecord text = qlm::ObjectRecord::Fresh();
    text.typeCode = qlm::kObjText;
    text.extended = true;
    text.name = "Label";
    text.text = "Hello";
    text.rect = {10, 50, 90, 70};
    page.objects.push_back(text);
    project.pages.push_back(std::move(page));
  }
  project.storedPageCount = 2;
  return project;
}

qlm::Image24 Checkers(uint32_t w, uint32_t h) {
  qlm::Image24 image{w, h, {}};
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        image.pixels.push_back(((x / 2 + y / 2) % 2) ? 255 : static_cast<uint8_t>(40 * c));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seeds OUTPUT_FOLDER\n";
    return 2;
  }
  const fs::path out = argv[1];
  const qlm::Project project = SampleProject();
  std::vector<uint8_t> latest;
  for (int32_t version = 2; version <= 29; ++version) {
    std::vector<uint8_t> bytes;
    try {
      bytes = qlm::WriteProject(project, version);
    } catch (const std::exception& e) {
      std::cerr << "version " << version << ": " << e.what() << '\n';
      continue;
    }
    // The first byte is the version a previous load left in the context.
    Write(out / "document", "v" + std::to_string(version), bytes, version - 2);
    Write(out / "document", "v" + std::to_string(version) + "-after-29", bytes, 27);
    latest = bytes;
  }
  const std::vector<uint8_t> player(64, 0x90);
  Write(out / "standalone", "plain", qlm::BuildStandalone(player, latest, false, ""));
  Write(out / "standalone", "one-instance",
        qlm::BuildStandalone(player, latest, true, "{01234567-89AB-CDEF-0123-456789ABCDEF}"));

  const char* scripts[] = {
      "x=1\ny$='a'+'b'\nIf (x=1) Then\nz=2\nend",
      "For i=1 To 3\nCreateRectangle(\"R\",\"n$,1,2,30,40,255,0,0\")\nNext i",
      "MoveObject(\"O1\",\"5,5,20,20\")\nHide(\"O0\")\nShow(\"O0\")\nDeleteObject(\"O2\")",
      "Page(\"B\")\nPageTimer(\"100\",\"A\")\nScriptTimer(\"O1\",\"50\")",
      "SysCommand(\"resizewindow\",\"320,200\")\nSysCommand(\"movewindow\",\"1,2\")",
      "s$=strofchar('ab',4)\nt$=strchange(s$,'a','xy')\nu$=strins(t$,'q',2)",
      "Message(\"hello\",\"\")\nClipboard(\"send\",\"s$\")",
      "ReorderObject(\"O0\",\"FRONT\")\nCreateText(\"T\",\"n$,1,1,Hi\")\nSetText(\"T\",\"Ho\")",
      "CreateLineAB(\"\",\"n$,-2147483648,0,2147483647,5\")\nMoveTo(\"O0\",\"5,5,3\")",
  };
  int n = 0;
  for (const char* script : scripts)
    WriteText(out / "script", "s" + std::to_string(n++), script);

  WriteText(out / "events", "basic",
            "wait 100\nclick 10 20\ndblclick 1 2\nkey RETURN shift\ntype Hello\nanswer 2\n"
            "answer \"C:\\\\a.txt\"\nscript x=1\nscript-begin\ny=2\nscript-end\ndump\nquit\n");
  WriteText(out / "events", "mouse", "down 1 1\nmove 5 5\nup 5 5\nrdown 3 3\nrup 3 3\n");

  WriteText(out / "profile", "basic",
            "; settings\n[QLM]\nX=120\nName$=first\\nsecond\n[Show]\nScore=-2\n");
  WriteText(out / "profile", "escapes", "[A\\x5d]\n\\x20lead=\\\\x\\r\n");

  // '@' is the host folder of drive D: (see resolver_fuzz.cpp).
  const char* paths[] = {"f.txt",
                         "D:\\show\\Sub\\G.TXT",
                         "deep\\..\\..\\outside\\s.txt",
                         "@/show/deep/../../outside/s.txt",
                         "@/show/out/back/in/h.txt",
                         "\\\\?\\D:\\show\\abs\\..\\f.txt",
                         "Sub/upup/s.txt",
                         "loop\\x"};
  n = 0;
  for (const char* path : paths)
    WriteText(out / "resolver", "p" + std::to_string(n++), path);

  WriteText(out / "playlist", "m3l", "a.mp3\r\nsub\\b.wav\r\n..\\c.mid\r\n", 0);
  WriteText(out / "playlist", "m3u", "#EXTM3U\n#EXTINF:1,One\nC:\\music\\one.mp3\n", 1);
  WriteText(out / "playlist", "pls", "[playlist]\nFile1=one.mp3\nTitle1=One\nNumberOfEntries=1\n",
            2);
  WriteText(out / "playlist", "txt", "one\ntwo\n", 3);

  const qlm::Image24 image = Checkers(8, 6);
  Write(out / "image", "jpeg", qlm::EncodeJpeg(image), 0);
  Write(out / "image", "png", qlm::EncodePng(image), 1);
  Write(out / "image", "png-any", qlm::EncodePng(image), 3);
  Write(out / "image", "jpeg-any", qlm::EncodeJpeg(image), 3);

  // GIFs: frames with delays, disposals, transparency, an interlaced one and a loop count.
  using qlm::test::SolidGifFrame;
  const std::vector<uint32_t> palette = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
  Write(out / "gif", "three-frames",
        qlm::test::EncodeGif(6, 4, palette,
                             {SolidGifFrame(0, 0, 6, 4, 0, 10), SolidGifFrame(1, 1, 3, 2, 1, 25),
                              SolidGifFrame(2, 0, 4, 4, 2, 50)},
                             0));
  qlm::test::GifFrameSpec holes = SolidGifFrame(0, 0, 4, 9, 3);
  holes.transparentIndex = 3;
  holes.disposal = qlm::GifDisposal::kPrevious;
  holes.interlaced = true;
  holes.palette = {0x123456, 0x654321};
  qlm::test::GifFrameSpec cleared = SolidGifFrame(1, 1, 2, 2, 1);
  cleared.disposal = qlm::GifDisposal::kBackground;
  Write(out / "gif", "disposals",
        qlm::test::EncodeGif(4, 9, palette, {holes, cleared, SolidGifFrame(0, 0, 1, 1, 2)}, 3));

  // Enhanced metafiles: shapes with brushes and pens, and one without drawing records.
  qlm::test::EmfBuilder shapes(100, 100);
  shapes.Pen(0, 2, 0x000000)
      .Brush(0x0000FF)
      .Rectangle(0, 0, 50, 100)
      .Brush(0x00FF00)
      .Ellipse(50, 0, 100, 50)
      .Polygon({{50, 100}, {100, 100}, {75, 50}});
  Write(out / "metafile", "shapes", shapes.Finish(), 0x41);
  Write(out / "metafile", "empty", qlm::test::EmfBuilder(10, 10).Finish(), 0x05);

  WriteText(out / "expr", "statement", "x=1+2*3-(4/5)", 0);
  WriteText(out / "expr", "texts", "s$='a'+strofchar('b',3)+low('C')", 0);
  WriteText(out / "expr", "condition", "(x>1) and (s$='ab')", 1);
  return 0;
}
