// The base interface of every class object the host's class registry holds: what the registry asks of a
// class before it knows anything else about it.
#pragma once

#include <unknwn.h>
#include <oleauto.h>

#include <cstdint>

// {2EC7CEA3-1D34-11D2-B333-008048C36FE8}
struct IVyrClassObject : IUnknown {
    // Slot 3: the class's 32-bit type id ((host code of its type GUID) << 16 | type number).
    virtual HRESULT STDMETHODCALLTYPE GetTypeId(uint32_t* typeId) = 0;
    // Slot 4: the category the class belongs to (a pointer to a static GUID, or null).
    virtual HRESULT STDMETHODCALLTYPE GetCategoryGuid(const GUID** category) = 0;
    // Slot 5: the class's display name; a BSTR already in the slot is freed first.
    virtual HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) = 0;
    // Slot 6: S_OK when the class belongs to the category, S_FALSE otherwise.
    virtual HRESULT STDMETHODCALLTYPE IsCategory(const GUID* category) = 0;
};
__CRT_UUID_DECL(IVyrClassObject, 0x2EC7CEA3, 0x1D34, 0x11D2, 0xB3, 0x33, 0x00, 0x80, 0x48, 0xC3, 0x6F, 0xE8)

inline constexpr GUID IID_IVyrClassObject =
    {0x2EC7CEA3, 0x1D34, 0x11D2, {0xB3, 0x33, 0x00, 0x80, 0x48, 0xC3, 0x6F, 0xE8}};
