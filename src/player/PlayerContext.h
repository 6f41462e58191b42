#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/CodePage.h"
#include "platform/SpeechOutput.h"
#include "platform/SystemFolders.h"

namespace qlm {

class BrowserEngine;
class Dialogs;
class Display;
class EventLoop;
class FileSystem;
class InstanceLocks;
class Libraries;
class MediaBackend;
class MetafileRenderer;
class ProfileStore;
class Printer;
class Processes;
class ProgramWindows;
class SystemInformationSource;
class TrustGate;
class TrustPolicy;
class VideoDecoders;

// What the player reports to whoever runs it: the automation output in headless runs, nothing
// on the desktop.
class PlayerEvents {
 public:
  virtual ~PlayerEvents() = default;
  // A page became current.
  virtual void OnPage(const std::string& /*name*/) {}
  // What a Run command or a launching object action would start.
  virtual void OnLaunch(const std::string& /*program*/, const std::string& /*options*/) {}
  // A browser object shows another address: `object` its name, `url` the address (UTF-8).
  virtual void OnBrowser(const std::string& /*object*/, const std::string& /*url*/) {}
  // The trust policy refused something: `what` is "read", "write", "launch", "plugin" or
  // "browse".
  virtual void OnBlocked(std::string_view /*what*/, const std::string& /*path*/) {}
  // An utterance of the presentation (in its code page), with the voice it is spoken in.
  virtual void OnSpeech(const std::string& /*text*/, const SpeechVoice& /*voice*/) {}
  // A job was printed: `what` is "text", "page", "rect" or "browser"; `file` the PDF written
  // for it (UTF-8), empty when none was.
  virtual void OnPrint(std::string_view /*what*/, int /*pages*/, const std::string& /*file*/) {}
};

// The services of the machine and the settings of the process that every player window of the
// process shares. Nothing of this is global: a test can make two and run two players side by
// side.
struct PlayerContext {
  EventLoop& loop;
  Display& display;
  Dialogs& dialogs;
  ProfileStore& profile;
  FileSystem& files;
  SystemFolders folders;
  CodePage codePage;
  PlayerEvents* events = nullptr;
  // The seed of rnd; without one the evaluator seeds itself from the clock's tick.
  std::optional<uint32_t> seed;
  // Starts programs and documents; without it launches are only reported (headless runs).
  Processes* processes = nullptr;
  // Holds the windows of the programs that embedded-program objects start; without it they
  // show their frame.
  ProgramWindows* programWindows = nullptr;
  // Plays the media-control devices; without it every device fails to open.
  MediaBackend* media = nullptr;
  // Decodes the files of video objects; without it every video fails to open.
  VideoDecoders* videos = nullptr;
  // The machine's version, memory and processor; without it they read as 0 and empty.
  const SystemInformationSource* system = nullptr;
  // Speaks the presentation's speech; without it utterances are only reported.
  SpeechOutput* speech = nullptr;
  // Draws the pictures of metafile objects; without it they draw nothing.
  MetafileRenderer* metafiles = nullptr;
  // Renders the pages of browser objects; without it they show their address in a frame.
  BrowserEngine* browsers = nullptr;
  // Loads plug-in libraries; without it every plug-in is missing.
  Libraries* libraries = nullptr;
  // Keeps one-instance presentations to one process; without it every start is the first.
  InstanceLocks* instanceLocks = nullptr;
  // Prints the print commands' jobs; without it they print nothing.
  Printer* printer = nullptr;
  // Consent for launches; without it every launch goes ahead.
  TrustGate* trust = nullptr;
  // What the presentation may reach (for launches of documents within it); may be null.
  const TrustPolicy* trustPolicy = nullptr;
  // Memory for decoded pictures: the least recently drawn go when more is needed.
  uint64_t imageCacheBytes = 256ull * 1024 * 1024;
};

}  // namespace qlm
