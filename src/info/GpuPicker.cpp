#include "info/GpuPicker.h"

namespace velmora {

int GpuPickerItems::ItemOf(int32_t gpu) const {
    for (size_t i = 0; i < gpus.size(); ++i) {
        if (gpus[i] == gpu) return static_cast<int>(i);
    }
    return -1;
}

GpuPickerItems MakeGpuPickerItems(const std::vector<std::wstring>& names) {
    GpuPickerItems items;
    const bool numbered = names.size() > 1;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty()) continue;
        items.texts.push_back(numbered ? std::to_wstring(i + 1) + L"." + names[i] : names[i]);
        items.gpus.push_back(static_cast<int32_t>(i));
    }
    return items;
}

}  // namespace velmora
