#include "framework/Menus.h"
#include <algorithm>

TMenuItem::~TMenuItem() {
    if (FMenu) FMenu->Remove(this);
}

TComponent* TMenuItem::GetParentComponent() const { return FMenu; }

void TMenuItem::SetParentComponent(TComponent* parent) {
    if (auto* m = dynamic_cast<TPopupMenu*>(parent)) m->Add(this);
}

void TMenuItem::Properties(TPropFiler& f) {
    TComponent::Properties(f);
    f.String("Caption", FCaption, [this](const std::string& v) { SetCaption(v); });
    f.Integer("ShortCut", FShortCut, [this](int32_t v) { SetShortCut(v); }, 0);
    f.Event("OnClick", OnClick);
}

TPopupMenu::~TPopupMenu() {
    for (TMenuItem* i : FItems) i->FMenu = nullptr;
    FItems.clear();
}

void TPopupMenu::Add(TMenuItem* item) {
    if (item->FMenu) item->FMenu->Remove(item);
    FItems.push_back(item);
    item->FMenu = this;
}

void TPopupMenu::Remove(TMenuItem* item) {
    FItems.erase(std::remove(FItems.begin(), FItems.end(), item), FItems.end());
    item->FMenu = nullptr;
}

void TPopupMenu::Popup(int x, int y, HWND owner) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (size_t i = 0; i < FItems.size(); ++i) {
        std::string text = FItems[i]->Caption();
        int32_t sc = FItems[i]->ShortCut();
        if (sc) {
            text += '\t';
            if (sc & 0x4000) text += "Ctrl+";
            if (sc & 0x2000) text += "Shift+";
            if (sc & 0x8000) text += "Alt+";
            text += static_cast<char>(sc & 0xFF);
        }
        AppendMenuA(menu, MF_STRING, i + 1, text.c_str());
    }
    int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    DestroyMenu(menu);
    if (chosen > 0 && static_cast<size_t>(chosen) <= FItems.size()) FItems[static_cast<size_t>(chosen - 1)]->Click();
}

bool TPopupMenu::IsShortCut(int32_t shortCut) {
    for (TMenuItem* i : FItems)
        if (i->ShortCut() != 0 && i->ShortCut() == shortCut) {
            i->Click();
            return true;
        }
    return false;
}

void TPopupMenu::GetChildren(TFunctionRef<void(TComponent*)> proc, TComponent* root) {
    for (TMenuItem* i : FItems)
        if (i->Owner() == root) proc(i);
}
