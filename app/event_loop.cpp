// The program's life after start-up: one event at a time, dispatched by kind.
#include "app/output_format.h"
#include "app/shell.h"
#include "controls/canvas_slider.h"

namespace {

constexpr const char* kDefaultSaveName = "rorovoraderuz.wav";

void HandleSlider(ObjectRef slider) {
  if (HandleSliderEvent(EventType(), slider) != 0) Rerender();
}

void HandleControlEvent(ObjectRef control) {
  if (control == 0) return;
  if (control == RenderButton) {
    RenderFromFields();
    RenderMarker = RenderButton;
  } else if (control == AmplitudeSlider || control == LengthSlider) {
    HandleSlider(control);
  } else if (control == ShapeList) {
    Rerender();
  }
}

void HandleCommand(ObjectRef command) {
  switch (command) {
    case kCommandMono: ChooseChannels(kMonoChannels); break;
    case kCommandStereo: ChooseChannels(kStereoChannels); break;
    case kCommand16Bits: ChooseResolution(kSixteenBitSampleBytes); break;
    case kCommand44100Hz: ChooseSampleRate(kLowSampleRate); break;
    case kCommand192000Hz: ChooseSampleRate(kHighSampleRate); break;
    case kCommandSave: SaveRendering(MainWavBuffer, kDefaultSaveName); break;
    case kCommandExit: Shutdown();
    case kCommandMakerSite:
    case kCommandHelpKey: OpenMakerSite(); break;
    default: break;  // Return only needs capturing, so no control ever sees it.
  }
}

void HandleCloseRequest() {
  // A close that reaches us while another program is in front (say, from a task bar) is ignored.
  if (ActiveWindow() == kMainWindow) Shutdown();
}

}  // namespace

void DispatchEvent(EventKind kind) {
  switch (kind) {
    case EventKind::Control: HandleControlEvent(EventObject()); break;
    case EventKind::Command: HandleCommand(EventObject()); break;
    case EventKind::CloseRequest: HandleCloseRequest(); break;
    case EventKind::None:
    case EventKind::Other: break;
  }
}

void RunEventLoop() {
  for (;;) DispatchEvent(WaitForEvent());
}
