// Drop-down selector: a header button showing the selected text and, below it, one entry for
// each other text; choosing an entry swaps it with the selection.
#pragma once

#include <memory>
#include <vector>

#include "toolkit/ButtonEx.h"

namespace velmora {

class CMenuList;

class CMenuItem : public CControls {
  public:
    static constexpr int kTextPoints = 10;
    explicit CMenuItem(int index) : index_(index) {}
    int Index() const { return index_; }
    void SetIndex(int index) { index_ = index; }
    void Draw(Gdiplus::Graphics& g) override;

  private:
    int index_;
};

class CMenuList : public CControls {
  public:
    static constexpr int kHeaderId = 3100;
    static constexpr int kFirstEntryId = 3101;
    static constexpr int kSideInset = 17;

    // headerImage: the header button's picture, by name in the skin pack.
    bool CreateList(CDialogBase* dialog, const RECT& rect, std::wstring_view imageName,
                    std::wstring_view headerImage, const std::vector<std::wstring>& items, int id);
    int GetSelectedIndex() const { return selected_; }
    // Shows item `index` in the header, the others in order below it (before the list was first
    // opened; later calls are ignored). -1: none is selected, the header is empty and every item
    // is below it. Any other index outside the items is ignored.
    void SetSelectedIndex(int index);
    bool IsClosed() const { return closed_; }
    const std::vector<std::unique_ptr<CMenuItem>>& Entries() const { return entries_; }
    CButtonEx& Header() { return header_; }

    void OnCreate() override;
    void Draw(Gdiplus::Graphics& g) override;
    void OnControlEvent(int childId, WORD code) override;

  private:
    std::wstring TextOf(int index) const;
    void CreateEntries();
    void ShowEntries(bool show);

    std::wstring headerImage_;
    std::vector<std::wstring> items_;
    std::vector<std::unique_ptr<CMenuItem>> entries_;
    RECT listRect_{};
    CButtonEx header_;
    int selected_ = 0;
    bool closed_ = false;
};

}  // namespace velmora
