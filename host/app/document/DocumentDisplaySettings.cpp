#include "host/app/document/DocumentDisplaySettings.h"

namespace Host
{

DocumentDisplaySettings::DocumentDisplaySettings(IUnknown* document)
    : DelegatingFace(document),
      values_{{HostDisplaySetting::GridShown, TRUE},
              {HostDisplaySetting::GridColour, DefaultGridColour},
              {HostDisplaySetting::Flag, FALSE},
              {HostDisplaySetting::Count, 1},
              {HostDisplaySetting::TraceColour, 0},
              {HostDisplaySetting::GridStyle, 0}}
{
}

std::optional<LONG> DocumentDisplaySettings::Value(ULONG id) const
{
    std::lock_guard guard(lock_);
    const auto found = values_.find(id);
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

bool DocumentDisplaySettings::Change(ULONG id, LONG value)
{
    std::lock_guard guard(lock_);
    const auto found = values_.find(id);
    if (found == values_.end())
        return false;
    found->second = value;
    return true;
}

HRESULT DocumentDisplaySettings::Read(IHostSettingKey* key, LONG* value) const
{
    if (!key || !value)
        return E_POINTER;
    ULONG id = 0;
    if (const HRESULT result = key->GetSettingId(&id); FAILED(result))
        return result;
    const std::optional<LONG> kept = Value(id);
    if (!kept)
        return S_FALSE;
    *value = *kept;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocumentDisplaySettings::GetInteger(IHostSettingKey* key, LONG* value)
{
    return Read(key, value);
}

HRESULT STDMETHODCALLTYPE DocumentDisplaySettings::GetBoolean(IHostSettingKey* key, VARIANT_BOOL* value)
{
    if (!value)
        return E_POINTER;
    LONG kept = 0;
    const HRESULT result = Read(key, &kept);
    if (result == S_OK)
        *value = kept ? VARIANT_TRUE : VARIANT_FALSE;
    return result;
}

} // namespace Host
