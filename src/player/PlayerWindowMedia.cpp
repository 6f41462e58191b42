// The player window's media: MCI devices and objects, the song list, the temporary files of
// embedded sounds and speech.
#include "media/EmbeddedSoundFiles.h"
#include "platform/FileSystem.h"
#include "player/PlayerWindow.h"

namespace qlm {

void PlayerWindow::InitMedia() {
  media_ = std::make_unique<MediaSession>(ctx_.loop, ctx_.media, &ctx_.files);
  media_->boundObjects = this;
  // No device gets a native window here: "<This>" and child devices name none.
  media_->windowHandle = 0;
  RegisterMediaCommands(*runner_, *media_);
  speech_ = std::make_unique<SpeechSession>(
      ctx_.speech, ctx_.codePage, [this](const std::string& text, const SpeechVoice& voice) {
        if (ctx_.events)
          ctx_.events->OnSpeech(text, voice);
      });
  RegisterSpeechCommands(*runner_, *speech_);
}

void PlayerWindow::StartPageMedia() {
  PageRecord* page = pages_.CurrentPage();
  if (!page)
    return;
  for (const ObjectRecord& object : page->objects) {
    if (object.typeCode == kObjMci && !object.text.empty()) {
      media_->objects.Command(object, "open", ExpandPathMacros(object.text), media_->windowHandle);
    }
  }
}

void PlayerWindow::StopPageMedia(PageRecord& page) {
  media_->objects.ClosePage(page);
  videos_->ClosePage(page);
}

void PlayerWindow::ShutDownMedia() {
  speech_->Stop();
  videos_->CloseAll();
  media_->CloseAll();
  EmbeddedSoundFiles::Remove(pages_.GetProject().sounds, ctx_.files, ctx_.folders.embedded);
}

std::optional<std::string> PlayerWindow::SongListEntry(int64_t number) const {
  return media_->songs.Entry(number);
}

void PlayerWindow::SetSongList(std::vector<std::string> files) {
  media_->songs.Replace(std::move(files));
  media_->songs.Publish(Variables(), this);
}

int PlayerWindow::PlayListCount() const {
  return static_cast<int>(std::min<size_t>(media_->songs.Count(), INT32_MAX));
}

std::string PlayerWindow::PlayListItem(int index) const {
  return media_->songs.Entry(index).value_or(std::string());
}

}  // namespace qlm
