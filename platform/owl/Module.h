// OWL::TModule: a loaded module (the executable or a library) known by its instance handle. Window
// classes, resources and the views that a library creates are tied to its module object.
#pragma once

#include <windows.h>

#include <string>

namespace OWL
{

class TModule
{
public:
    // name may be null (the module then has no name); addToList makes the module findable by handle.
    TModule(const wchar_t* name, HINSTANCE instance, bool addToList = true);
    virtual ~TModule();
    TModule(const TModule&) = delete;
    TModule& operator=(const TModule&) = delete;

    HINSTANCE GetHandle() const { return instance_; }
    operator HINSTANCE() const { return instance_; }
    const std::wstring& GetName() const { return name_; }

    // The listed module of an instance handle, or null.
    static TModule* FindModule(HINSTANCE instance);

private:
    std::wstring name_;
    HINSTANCE instance_;
    bool listed_;
};

} // namespace OWL
