// The GPU information window's picker: one item per GPU whose name can be read, and which GPU
// each item stands for (a nameless GPU is left out, so items and GPU indexes can differ).
// Windows-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct GpuPickerItems {
    std::vector<std::wstring> texts;
    std::vector<int32_t> gpus;  // the GPU index of each item
    // The item of `gpu`; -1 when it has none.
    int ItemOf(int32_t gpu) const;
};

// names: every GPU's name in table order (empty when unreadable). With more than one GPU each
// item is numbered "%d." by its GPU's place in the table ("2.GeForce ..."), else the bare name.
GpuPickerItems MakeGpuPickerItems(const std::vector<std::wstring>& names);

}  // namespace velmora
