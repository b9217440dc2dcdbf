#include "tracedisplay/drawers/HostLevelSettings.h"

namespace StrixDraw
{

namespace
{
void SetFlag(ULONG& flags, ULONG flag, bool on)
{
    flags = on ? flags | flag : flags & ~flag;
}

template <class Record>
HRESULT Read(IPreferenceSource* preferences, ULONG id, LONG channel, LONG index, Record& record)
{
    return preferences->GetPreferenceRecord(id, channel, index, &record, sizeof record);
}

std::wstring Taken(BSTR& text)
{
    std::wstring value = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    text = nullptr;
    return value;
}
} // namespace

HRESULT LoadHostGridColours(LevelSettings& settings, IPreferenceSource* preferences, LONG channel)
{
    if (!preferences)
        return E_INVALIDARG;
    HRESULT result = S_OK;
    const ULONG onFlags[2] = {LevelSettings::Level1On, LevelSettings::Level2On};
    const ULONG lineFlags[2] = {LevelSettings::DrawLevel1Line, LevelSettings::DrawLevel2Line};
    for (int level = 0; level < 2; ++level)
    {
        HostLevelLine line{};
        result = Read(preferences, PreferenceId::LevelLine, channel, level + 1, line);
        if (result != S_OK)
            continue;
        SetFlag(settings.flags, onFlags[level], line.on != 0);
        SetFlag(settings.flags, lineFlags[level], line.line != 0);
        settings.lineColours[level] = line.colour;
    }
    std::wstring* texts[2][2] = {{&settings.level1Text, &settings.level1Units},
                                 {&settings.level2Text, &settings.level2Units}};
    for (int level = 0; level < 2; ++level)
    {
        HostLevelValue value{};
        result = Read(preferences, PreferenceId::LevelValue, channel, level + 1, value);
        if (result != S_OK)
            continue;
        settings.levels[level] = value.value;
        *texts[level][0] = Taken(value.text);
        *texts[level][1] = Taken(value.units);
    }
    HostLevelFills fills{};
    result = Read(preferences, PreferenceId::LevelFills, channel, 0, fills);
    if (result == S_OK)
    {
        SetFlag(settings.flags, LevelSettings::FillAbove, fills.fillAbove != 0);
        SetFlag(settings.flags, LevelSettings::FillBetween, fills.fillBetween != 0);
        SetFlag(settings.flags, LevelSettings::FillBelow, fills.fillBelow != 0);
        settings.fillAbove = fills.aboveColour;
        settings.fillBetween = fills.betweenColour;
        settings.fillBelow = fills.belowColour;
    }
    return result;
}

} // namespace StrixDraw
