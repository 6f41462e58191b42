#include "tools/ProjectSummary.h"

#include <map>

#include "platform/CodePage.h"
#include "tools/ProjectJson.h"

namespace qlm {

namespace {

const char* YesNo(uint32_t flag) {
  return flag != 0 ? "yes" : "no";
}

std::string Quoted(const std::string& text, const CodePage& codePage) {
  return "\"" + codePage.ToUtf8(text) + "\"";
}

std::string WindowModeName(const ProjectSettings& s) {
  if (s.onDesktop || s.windowMode == 2) {
    return "on the desktop";
  }
  return s.windowMode == 1 ? "always on top" : "normal";
}

std::string ResolutionName(const ProjectSettings& s) {
  if (s.changeResolution == 0) {
    return "no";
  }
  static const char* kSizes[] = {"640 x 480", "800 x 600", "960 x 720", "1024 x 768"};
  std::string size = s.resolutionIndex < 4 ? kSizes[s.resolutionIndex]
                                           : "index " + std::to_string(s.resolutionIndex);
  return size + (s.alwaysChange ? " (whenever the width differs)" : " (when the screen is wider)");
}

std::string PriorityName(uint32_t priority) {
  switch (priority) {
    case 0:
      return "high";
    case 1:
      return "normal";
    case 2:
      return "idle";
    default:
      return std::to_string(priority);
  }
}

std::string Hex(uint32_t colour) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", colour);
  return text;
}

// "3 objects (2 text, 1 button)"
std::string ObjectCounts(const PageRecord& page) {
  std::map<std::string, int> byKind;
  for (const ObjectRecord& o : page.objects) {
    ++byKind[ObjectKindName(o.typeCode)];
  }
  std::string out =
      std::to_string(page.objects.size()) + (page.objects.size() == 1 ? " object" : " objects");
  if (!byKind.empty()) {
    out += " (";
    bool first = true;
    for (const auto& [kind, count] : byKind) {
      out += (first ? "" : ", ") + std::to_string(count) + " " + kind;
      first = false;
    }
    out += ")";
  }
  return out;
}

std::string PageExtras(const PageRecord& page) {
  std::string out;
  if (page.hasImage != 0) {
    out += ", background image " + std::to_string(page.image.Width()) + " x " +
           std::to_string(page.image.Height()) + " " + ImageFileFormat(page.image);
  }
  if (!page.enterScript.Empty()) {
    out += ", enter script " + std::to_string(page.enterScript.statements.size()) + " lines";
  }
  if (!page.exitScript.Empty()) {
    out += ", exit script " + std::to_string(page.exitScript.statements.size()) + " lines";
  }
  return out;
}

}  // namespace

void WriteProjectSummary(std::ostream& out, const std::string& path, const ToolInput& input,
                         const Project& project, const CodePage& codePage) {
  const ProjectSettings& s = project.settings;
  out << "File: " << path << "\n";
  if (input.standalone) {
    out << "Container: stand-alone executable, player " << input.playerBytes << " bytes, project "
        << input.document.size() << " bytes\n";
    out << "One instance: "
        << (input.oneInstance ? "yes, identifier " + input.identifier : std::string("no")) << "\n";
  } else {
    out << "Container: document, " << input.document.size() << " bytes\n";
  }
  out << "Format version: " << project.version << "\n";
  out << "Title: " << Quoted(s.title, codePage) << "\n";
  out << "Client size: " << s.clientWidth << " x " << s.clientHeight << "\n";
  out << "Window: " << WindowModeName(s) << ", title bar " << YesNo(s.showTitleBar) << ", shaped "
      << YesNo(s.shapedWindow) << ", drag " << YesNo(s.dragWindow) << ", minimize "
      << YesNo(s.allowMinimize) << "\n";
  out << "Position: remembered " << YesNo(s.rememberPosition) << ", profile section "
      << Quoted(s.profileSection, codePage) << "\n";
  out << "Backdrop: ";
  if (s.backdropEnabled != 0) {
    out << "colour " << Hex(s.backdropColour) << ", image "
        << (s.hasBackdropImage != 0 ? std::to_string(s.backdropImage.image.width) + " x " +
                                          std::to_string(s.backdropImage.image.height)
                                    : std::string("none"))
        << "\n";
  } else {
    out << "no\n";
  }
  out << "Change resolution: " << ResolutionName(s) << "\n";
  out << "Process priority: " << PriorityName(s.processPriority) << ", task switching disabled "
      << YesNo(s.disableTaskSwitching) << "\n";
  out << "Pages: " << project.pages.size() << "\n";
  int number = 1;
  for (const PageRecord& page : project.pages) {
    out << "  " << number++ << ". " << Quoted(page.name, codePage) << ": " << ObjectCounts(page)
        << PageExtras(page) << "\n";
  }
  out << "Master Page: " << ObjectCounts(project.masterPage) << PageExtras(project.masterPage)
      << "\n";
  out << "Master Layer: " << ObjectCounts(project.masterLayer) << PageExtras(project.masterLayer)
      << "\n";
  out << "Embedded files: " << project.sounds.size() << "\n";
  for (const EmbeddedSound& sound : project.sounds) {
    out << "  " << Quoted(sound.name, codePage) << ": kind " << sound.kind << ", "
        << sound.data.bytes.size() << " bytes" << (sound.data.packed ? " (packed)" : "") << "\n";
  }
}

}  // namespace qlm
