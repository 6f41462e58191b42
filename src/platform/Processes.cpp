#include "platform/Processes.h"

#include <charconv>
#include <vector>

namespace qlm {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

// "TOPMOST(2000)": the number in the parentheses, 0 when there is none.
uint32_t Milliseconds(std::string_view field) {
  const size_t open = field.find('(');
  if (open == std::string_view::npos)
    return 0;
  std::string_view digits = TrimBlanks(field.substr(open + 1));
  uint32_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

}  // namespace

LaunchOptions ParseLaunchOptions(std::string_view options) {
  LaunchOptions out;
  std::vector<std::string_view> fields;
  while (!options.empty() && fields.size() < 3) {
    const size_t comma = options.find(',');
    fields.push_back(options.substr(0, comma));
    options.remove_prefix(comma == std::string_view::npos ? options.size() : comma + 1);
  }
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::string_view field = TrimBlanks(fields[i]);
    if (field.starts_with("TOPMOST")) {
      out.raise = LaunchOptions::Raise::kTopmost;
      out.raiseWaitMs = Milliseconds(field);
    } else if (field.starts_with("TOP")) {
      out.raise = LaunchOptions::Raise::kTop;
      out.raiseWaitMs = Milliseconds(field);
    } else if (field == "WAIT") {
      out.wait = true;
    } else if (field == "HIDE") {
      out.hide = true;
    } else if (field == "MAXIMIZE") {
      out.maximize = true;
    } else if (field == "MINIMIZE") {
      out.minimize = true;
    } else if (i == 0) {
      out.parameters = std::string(fields[0]);
    }
  }
  return out;
}

std::string_view LaunchErrorText(uint32_t result) {
  using namespace launch_result;
  switch (result) {
    case kAccessDenied:
      return "The operating system denied access to the specified file.\n";
    case kPathNotFound:
      return "The specified path was not found.\n";
    case kFileNotFound:
      return "The specified file was not found.\n";
    case kOutOfResources:
      return "The operating system is out of memory or resources.";
    case kOutOfMemory:
      return "There was not enough memory to complete the operation.";
    case kAssociationIncomplete:
      return "The filename association is incomplete or invalid.";
    case kSharingViolation:
      return "A sharing violation occurred.\n";
    case kBadFormat:
      return "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).";
    case kDdeTimeout:
      return "The DDE transaction could not be completed because the request timed out.";
    case kDllNotFound:
      return "The specified dynamic-link library was not found.";
    case kNoAssociation:
      return "There is no application associated with the given filename extension.";
    case kDdeBusy:
      return "The DDE transaction could not be completed because other DDE transactions were "
             "being processed.";
    case kDdeFailed:
      return "The DDE transaction failed.";
    case kNoAssociationEx:
      return "There is no application associated with the given file name extension.";
    case kCancelled:
      return "The function prompted the user for additional information, but the user canceled "
             "the request.";
    case kLibraryMissing:
      return "One of the library files necessary to run the application can't be found.";
    default:
      return {};
  }
}

}  // namespace qlm
