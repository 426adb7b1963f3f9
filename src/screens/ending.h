// The ending scenes played when a story comes to its end: the last picture shrinks into the
// upper-left corner of a white ground, fourteen groups of credits come and go while
// backgrounds change in the shrunken frame, and the maker's picture closes the scene. Both
// scenes run on one clock started with their music.
#pragma once

#include <cstdint>

// [SECTION] Timing
// Every time of a scene is in milliseconds since SceneStart.

constexpr int kEndingGroups = 14;
constexpr int kEndingCaptions = 14;
constexpr uint32_t kShrinkStartMs = 5000;
constexpr uint32_t kMakerMs = 170833;  // the maker's picture comes up
constexpr uint32_t kMakerShownMs = 173666;
// The three times of each credit group: the glow begins, the fade to white, the fade back in.
// The second scene uses the last two.
struct EndingGroupTimes {
  uint32_t glow, leave, back;
};
extern const EndingGroupTimes kEndingGroupTimes[kEndingGroups];
// When each caption of the second scene comes up.
extern const uint32_t kCaptionTimes[kEndingCaptions];

// The tick at which the scene's music started.
extern uint32_t SceneStart;
// The next caption of the second scene (kEndingCaptions once all were shown).
extern uint8_t CaptionIndex;

// [SECTION] Scenes

// Plays the first ending scene (0) or the second one (any other value); leaves the screen
// black, the start palette in the scene palette, the music stopped and PlayMode as it was.
void EndingScene(uint8_t which);

// [SECTION] Steps of the scenes

// Pumps until `t` ms after SceneStart.
void WaitScene(uint32_t t);
// The same, ending early with true (and the input cleared) at OK or cancel.
bool WaitSceneOrInput(uint32_t t);
// Copies a whole 640 x 480 bottom-up picture into the top-left w x h area of another by
// dropping rows and columns evenly; the rest of `dst` is left as it is.
void ScaleDown(uint8_t* dst, const uint8_t* src, int w, int h);
// Shrinks the back frame on the screen frame to 70 % over 2 s, on a white ground (colour 232).
// Runs with the weather overlay off; `weather`, the mode taken off, is put on for each repaint.
void ShrinkPicture(uint8_t weather = 0);
// Shows the caption `text` starts with once its time has come, if that time is not later than
// `until`; answers where the next caption starts (or `text` when none was shown).
const uint8_t* ShowCaption(const uint8_t* text, uint32_t until);
