// The module's document class and view classes as the framework holds them once the module registered,
// and a module document opened on a host document through them.
#pragma once

#include "hostapi/VyrDocuments.h"
#include "hostapi/VyrViews.h"
#include "foundation/com/ComPtr.h"
#include "host/app/FrameworkHost.h"
#include "host/app/document/DocumentEventRelay.h"
#include "host/app/document/HostDocument.h"

#include <memory>
#include <string>
#include <vector>

namespace Host
{

struct ViewClassEntry
{
    std::wstring name;  // what the class registered under: its fixed name, or its title
    Orv::ComPtr<IDocViewClass> viewClass;
};

class ModuleClasses
{
public:
    // Finds the classes among the registrations and attaches each, as the host does once a module has
    // registered: the document class installs its menus, the view classes register their commands.
    explicit ModuleClasses(const RegisteredFramework& framework);

    // Throws std::runtime_error when the module registered no document class.
    ICustomDocClass& DocumentClass() const;
    const std::vector<ViewClassEntry>& Views() const { return views_; }
    // The view class registered under name (letter case aside); null when none is.
    IDocViewClass* FindView(const std::wstring& name) const;

private:
    Orv::ComPtr<ICustomDocClass> documentClass_;
    std::vector<ViewClassEntry> views_;
};

// The module's document on a host document, closed when this ends.
// The host gives a module document its name (the name the frame's title shows), which the module's
// printouts carry. Throws std::runtime_error when the document takes none.
void NameModuleDocument(IUnknown* document, const std::wstring& name);

class ModuleDocument
{
public:
    ModuleDocument(ICustomDocClass& documentClass, HostDocument& hostDocument);
    ~ModuleDocument();
    ModuleDocument(const ModuleDocument&) = delete;
    ModuleDocument& operator=(const ModuleDocument&) = delete;

    IUnknown* Document() const { return document_.Get(); }

private:
    Orv::ComPtr<IUnknown> document_;
    std::unique_ptr<DocumentEventRelay> hostEvents_;
};

} // namespace Host
