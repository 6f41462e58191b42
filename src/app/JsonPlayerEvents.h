#pragma once

#include <string>

#include "platform/headless/JsonLinesWriter.h"
#include "player/PlayerContext.h"

namespace qlm {

// Pages, launches, refusals and speech as JSON lines: always in headless runs, with --json in a
// window.
class JsonPlayerEvents : public PlayerEvents {
 public:
  explicit JsonPlayerEvents(JsonLinesWriter& out) : out_(out) {}
  void OnPage(const std::string& name) override { out_.Page(name); }
  void OnLaunch(const std::string& program, const std::string& options) override {
    out_.Launch(program, options);
  }
  void OnBrowser(const std::string& object, const std::string& url) override {
    out_.Browser(object, url);
  }
  void OnBlocked(std::string_view what, const std::string& path) override {
    out_.Blocked(what, path);
  }
  void OnSpeech(const std::string& text, const SpeechVoice& voice) override {
    out_.Speech(text, voice.pitch, voice.wordsPerMinute);
  }
  void OnPrint(std::string_view what, int pages, const std::string& file) override {
    out_.Print(what, pages, file);
  }

 private:
  JsonLinesWriter& out_;
};

}  // namespace qlm
