// Pop-up menus: a menu component holding items, shown at a screen point; item shortcuts are
// honoured while the control that names the menu has the focus.
#pragma once
#include "framework/Component.h"
#include <windows.h>
#include <vector>

class TPopupMenu;

class TMenuItem : public TComponent {
public:
    KESTRIN_CLASS(TMenuItem)
    explicit TMenuItem(TComponent* owner) : TComponent(owner) {}
    ~TMenuItem() override;
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& s) { FCaption = s; }
    int32_t ShortCut() const { return FShortCut; }
    void SetShortCut(int32_t s) { FShortCut = s; }
    TPopupMenu* Menu() const { return FMenu; }
    virtual void Click() { OnClick(this); }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;
    void Properties(TPropFiler& f) override;
    TNotifyEvent OnClick;
private:
    friend class TPopupMenu;
    std::string FCaption;
    int32_t FShortCut = 0;
    TPopupMenu* FMenu = nullptr;
};

class TPopupMenu : public TComponent {
public:
    KESTRIN_CLASS(TPopupMenu)
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) {}
    ~TPopupMenu() override;
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int i) const { return FItems.at(static_cast<size_t>(i)); }
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);
    // Shows the menu and runs the chosen item's click.
    void Popup(int x, int y, HWND owner);
    // Runs the item with this shortcut (virtual key plus 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt).
    bool IsShortCut(int32_t shortCut);
    void GetChildren(TFunctionRef<void(TComponent*)> proc, TComponent* root) override;
private:
    std::vector<TMenuItem*> FItems;
};
