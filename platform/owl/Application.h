// OWL::TApplication: the application object of a process, a module with a main window and the language
// its user interface speaks. Texts and dialog templates are looked up in that language.
#pragma once

#include "platform/owl/Module.h"

namespace OWL
{

class TWindow;

class TApplication : public TModule
{
public:
    // Becomes the process's current application until it is destroyed; the language starts as the
    // user's user-interface language.
    TApplication(const wchar_t* name, HINSTANCE instance);
    ~TApplication() override;

    // The application object of the process, or null.
    static TApplication* Current();

    TWindow* GetMainWindow() const { return mainWindow_; }
    void SetMainWindow(TWindow* window) { mainWindow_ = window; }
    LANGID GetLangId() const { return language_; }
    void SetLangId(LANGID language) { language_ = language; }

private:
    TWindow* mainWindow_ = nullptr;
    LANGID language_;
    TApplication* previous_;
};

} // namespace OWL
