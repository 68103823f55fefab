#include "shell/platform/web/page.h"

#include <emscripten.h>

#include "shell/platform/web/key_table.h"

// Every call goes to window.grumboshPage, defined by page/page.js.
EM_JS(void, grumbosh_attach, (const char* table, uint8_t* keys, uint32_t* focused, uint32_t* losses), {
  grumboshPage.attach(UTF8ToString(table), keys, focused, losses);
});
EM_ASYNC_JS(void, grumbosh_yield, (), { await grumboshPage.nextTask(); });
EM_JS(void, grumbosh_title, (const char* title), { grumboshPage.showTitle(UTF8ToString(title)); });
EM_JS(void, grumbosh_label, (const char* field, const char* label), {
  grumboshPage.labelField(UTF8ToString(field), UTF8ToString(label));
});
EM_JS(void, grumbosh_set_field, (const char* field, const char* text), {
  grumboshPage.setField(UTF8ToString(field), UTF8ToString(text));
});
EM_JS(void, grumbosh_open_message, (const char* text, const char* caption), {
  grumboshPage.openMessage(UTF8ToString(text), UTF8ToString(caption));
});
EM_JS(int, grumbosh_message_open, (), { return grumboshPage.messageOpen() ? 1 : 0; });
EM_JS(int, grumbosh_audio_exists, (), { return grumboshPage.audioExists() ? 1 : 0; });
EM_JS(double, grumbosh_audio_frame, (), { return grumboshPage.audioFrame(); });
EM_JS(void, grumbosh_post_audio, (const int16_t* samples, uint32_t frames, double firstFrame), {
  grumboshPage.postAudio(HEAP16.subarray(samples >> 1, (samples >> 1) + 2 * frames), firstFrame);
});
EM_JS(void, grumbosh_ended, (int status), { grumboshPage.ended(status); });

namespace web {

PageInput& Input() {
  static PageInput input;
  return input;
}

void AttachPage() {
  PageInput& input = Input();
  grumbosh_attach(KeyTableForPage().c_str(), input.keys.data(), &input.focused, &input.focusLosses);
}
void YieldToBrowser() { grumbosh_yield(); }
double PageMilliseconds() { return emscripten_get_now(); }
void ShowTitle(const std::string& title) { grumbosh_title(title.c_str()); }
void LabelField(const std::string& field, const std::string& label) { grumbosh_label(field.c_str(), label.c_str()); }
void SetField(const std::string& field, const std::string& text) { grumbosh_set_field(field.c_str(), text.c_str()); }
void OpenMessage(const std::string& text, const std::string& caption) {
  grumbosh_open_message(text.c_str(), caption.c_str());
}
bool MessageOpen() { return grumbosh_message_open() != 0; }
bool AudioOutputExists() { return grumbosh_audio_exists() != 0; }
uint64_t AudioOutputFrame() { return static_cast<uint64_t>(grumbosh_audio_frame()); }
void PostAudio(const int16_t* samples, uint32_t frames, uint64_t firstFrame) {
  grumbosh_post_audio(samples, frames, static_cast<double>(firstFrame));
}
void ShowEnded(int exitStatus) { grumbosh_ended(exitStatus); }

}  // namespace web
