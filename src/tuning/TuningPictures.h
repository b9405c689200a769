// Pictures the clock settings window and the voltage window share.
#pragma once

#include "toolkit/SuperSliders.h"

namespace velmora {

// Every slider of both windows: fill, thumb, arrows and the stepping buttons.
inline SuperSliderPictures SliderPictures() {
    return {L"lockset_sliderfill.png", L"lockset_slider.png",  L"lockset_arrowleft.png",
            L"lockset_arrowright.png", L"lockset_subfive.png", L"lockset_subten.png",
            L"lockset_addfive.png",    L"lockset_addten.png"};
}

}  // namespace velmora
