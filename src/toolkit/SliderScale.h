// Where a value sits on a slider's track and which value a place on the track stands for: the
// rules both sliders share. Offsets are pixels from the track's left end; the arithmetic is kept
// in float and double exactly as the sliders have always done it, so values land where they did.
#pragma once

namespace velmora {

// Truncation toward zero as an int, safe for values outside the int range (NaN reads as 0).
int TruncToInt(double v);

// The offset of `value` on a track `trackWidth` pixels wide: trunc(width * (value - min) /
// (max - min)), not clamped; 0 for an empty range.
int SliderOffset(float value, float minimum, float maximum, int trackWidth);

// The offset of a stop's value measured from 0 to `maximum`: trunc(width * value / max); 0
// when maximum is 0.
int SliderStopOffset(float value, float maximum, int trackWidth);

// Whether a slider moves in whole units (a press jumps to the pressed place) rather than in
// steps beside the thumb.
bool IsUnitStep(float step);

// The value a press at offset `d` jumps to on a unit-step slider: the minimum plus whole units;
// false for a track of no width.
bool SliderPressValue(float minimum, float maximum, int trackWidth, int d, float& value);

// The value dragging the thumb to offset `d` gives: whole units with a unit step, else whole
// steps counted from the minimum; false when no value applies (empty range, no track, a step
// that covers no pixel).
bool SliderDragValue(float minimum, float maximum, float step, int trackWidth, int d, float& value);

}  // namespace velmora
