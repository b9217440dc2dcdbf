// OWL::TCommandEnabler: the question "is this command enabled, checked, and how is it worded?" that a
// menu, a gadget or the host asks a window with WM_COMMAND_ENABLE. The window's enable handler answers
// through Enable, SetCheck and SetText; an answered question is Handled.
#pragma once

#include <windows.h>

namespace OWL
{

class TCommandEnabler
{
public:
    enum TCheckState
    {
        Unchecked = BST_UNCHECKED,
        Checked = BST_CHECKED,
        Indeterminate = BST_INDETERMINATE,
    };

    explicit TCommandEnabler(UINT id, HWND receiver = nullptr) : Id(id), Receiver(receiver) {}
    virtual ~TCommandEnabler() = default;

    UINT GetId() const { return Id; }
    HWND GetReceiver() const { return Receiver; }
    bool GetHandled() const { return Handled; }

    virtual void Enable(bool enable = true);
    virtual void SetText(const wchar_t* text) = 0;
    virtual void SetCheck(int state) = 0;

protected:
    UINT Id;
    HWND Receiver;
    bool Handled = false;
};

// The enabler of one command item of a menu: applies the answers to the item.
class TMenuItemEnabler : public TCommandEnabler
{
public:
    TMenuItemEnabler(HMENU menu, UINT id, HWND receiver, int position)
        : TCommandEnabler(id, receiver), Menu(menu), Position(position)
    {
    }

    void Enable(bool enable = true) override;
    void SetText(const wchar_t* text) override;
    void SetCheck(int state) override;

    HMENU GetMenu() const { return Menu; }
    int GetPosition() const { return Position; }

private:
    HMENU Menu;
    int Position;
};

} // namespace OWL
