#include "toolkit/MenuList.h"

#include "toolkit/SkinDraw.h"

namespace velmora {

namespace {
const uint32_t kHeaderText = Argb(254, 180, 180, 180);
const uint32_t kItemHighlight = Argb(180, 180, 100, 100);
const uint32_t kItemHoverText = Argb(255, 255, 100, 0);
const uint32_t kItemPressedText = Argb(255, 0, 100, 255);
const uint32_t kItemText = Argb(188, 188, 188, 188);
const uint32_t kDropTop = Argb(255, 188, 20, 20);
const uint32_t kDropBottom = Argb(255, 2, 2, 2);
}  // namespace

void CMenuItem::Draw(Gdiplus::Graphics& g) {
    uint32_t text = kItemText;
    if (IsHover() || IsPressed()) {
        Gdiplus::SolidBrush fill(ArgbValue(kItemHighlight));
        g.FillRectangle(&fill, Rect().left, Rect().top, RectWidth(Rect()), RectHeight(Rect()));
        text = IsHover() ? kItemHoverText : kItemPressedText;
    }
    const auto center = Gdiplus::StringAlignmentCenter;
    DrawSkinText(g, Fonts(), Caption(), kTextPoints, ArgbValue(text),
                 Gdiplus::RectF(float(Rect().left), float(Rect().top), float(RectWidth(Rect())),
                                float(RectHeight(Rect()))),
                 center, center);
}

bool CMenuList::CreateList(CDialogBase* dialog, const RECT& rect, std::wstring_view imageName,
                           std::wstring_view headerImage, const std::vector<std::wstring>& items,
                           int id) {
    headerImage_ = headerImage;
    items_ = items;
    return Create(dialog, rect, imageName, L"", id);
}

void CMenuList::OnCreate() {
    listRect_ = Rect();
    listRect_.left += kSideInset;
    listRect_.right -= kSideInset;
    header_.CreateChild(Dialog(), this, Rect(), headerImage_,
                        items_.empty() ? std::wstring() : items_[0], kHeaderId, 0);
    header_.SetTextColor(kHeaderText);
}

void CMenuList::SetSelectedIndex(int index) {
    if (!entries_.empty() || index < -1 || index >= static_cast<int>(items_.size())) return;
    selected_ = index;
    header_.SetCaptionQuietly(TextOf(index));
}

std::wstring CMenuList::TextOf(int index) const {
    return index >= 0 && index < static_cast<int>(items_.size()) ? items_[static_cast<size_t>(index)]
                                                                  : std::wstring();
}

void CMenuList::CreateEntries() {
    const int h = RectHeight(listRect_);
    int k = -1;
    for (size_t i = 0; i < items_.size(); ++i) {
        // The selected item is in the header; every other one gets an entry, in item order.
        if (static_cast<int>(i) == selected_) continue;
        ++k;
        RECT r = listRect_;
        OffsetRect(&r, 0, (k + 1) * h);
        auto entry = std::make_unique<CMenuItem>(static_cast<int>(i));
        CMenuItem* raw = entry.get();
        entries_.push_back(std::move(entry));
        raw->CreateChild(Dialog(), this, r, L"", items_[i], kFirstEntryId + k, 0);
    }
}

void CMenuList::ShowEntries(bool show) {
    for (auto& e : entries_) e->ShowControl(show ? kShown : kHidden);
}

void CMenuList::OnControlEvent(int childId, WORD code) {
    if (code != kCodeClick) return;
    if (childId == kHeaderId) {
        // Entries for every item the header does not show.
        const size_t shownInHeader = selected_ >= 0 ? 1 : 0;
        if (entries_.empty() && items_.size() > shownInHeader) {
            CreateEntries();
            closed_ = false;
        } else if (closed_) {
            ShowEntries(true);
            closed_ = false;
        } else {
            ShowEntries(false);
            closed_ = true;
        }
        RepaintWindow();
        return;
    }
    const int b = childId - kFirstEntryId;
    if (b < 0 || b >= static_cast<int>(entries_.size())) return;
    CMenuItem& entry = *entries_[static_cast<size_t>(b)];
    const int chosen = entry.Index();
    // The entry that stands for no item (the header showed none at first) chooses nothing.
    if (chosen < 0) return;
    entry.SetIndex(selected_);
    selected_ = chosen;
    entry.SetCaption(TextOf(entry.Index()));
    header_.SetCaption(TextOf(selected_));
    ShowEntries(false);
    closed_ = true;
    Notify(kCodeClick);
}

void CMenuList::Draw(Gdiplus::Graphics& g) {
    if (closed_ || entries_.empty()) return;
    const int h = RectHeight(listRect_);
    const int count = static_cast<int>(entries_.size());
    const int dropHeight = count == 1 ? h : count * h;
    const Gdiplus::Rect area(listRect_.left, listRect_.bottom, RectWidth(listRect_), dropHeight);
    if (area.Width <= 0 || area.Height <= 0) return;
    // One pixel taller than the area: GDI+ gradients wrap their first row onto the last.
    Gdiplus::LinearGradientBrush gradient(
        Gdiplus::Rect(area.X, area.Y - 1, area.Width, area.Height + 2), ArgbValue(kDropTop),
        ArgbValue(kDropBottom), Gdiplus::LinearGradientModeVertical);
    g.FillRectangle(&gradient, area);
}

}  // namespace velmora
