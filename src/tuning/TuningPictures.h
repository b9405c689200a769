// What the clock settings window and the voltage window share: the slider pictures, and how a
// slider shows and gives back a SliderState.
#pragma once

#include "toolkit/SuperSliders.h"
#include "tuning/ClockProfile.h"

namespace velmora {

// Every slider of both windows: fill, thumb, arrows and the stepping buttons.
inline SuperSliderPictures SliderPictures() {
    return {L"lockset_sliderfill.png", L"lockset_slider.png",  L"lockset_arrowleft.png",
            L"lockset_arrowright.png", L"lockset_subfive.png", L"lockset_subten.png",
            L"lockset_addfive.png",    L"lockset_addten.png"};
}

inline void ShowSlider(CSuperSliders& slider, const SliderState& state, bool enabled) {
    slider.SetRange(state.minimum, state.maximum);
    slider.SetPos(state.value);
    slider.Enable(enabled);
}

inline SliderState StateOf(const CSuperSliders& slider, bool enabled) {
    SliderState s;
    s.minimum = slider.Minimum();
    s.maximum = slider.Maximum();
    s.value = slider.GetPos();
    s.enabled = enabled;
    return s;
}

}  // namespace velmora
