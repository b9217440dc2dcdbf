#include "hostframework/services/MenuCommands.h"

#include "hostframework/services/HostServices.h"
#include "hostframework/messaging/MessageIds.h"
#include "foundation/text/String.h"
#include "foundation/text/StringResources.h"

#include <string_view>

namespace
{

Orv::String ModuleText(UINT id)
{
    return Orv::String(Orv::ThisModule(), id, true);
}

bool IsSeparatorPath(std::wstring_view path)
{
    const size_t bar = path.find_last_of(L'|');
    return (bar == std::wstring_view::npos ? path : path.substr(bar + 1)) == L"-";
}

} // namespace

ULONG DocumentCommandId(USHORT number)
{
    USHORT code = 0;
    Sistra::GetDocumentMessagePrefix(&code);
    return static_cast<ULONG>(code) << 16 | number;
}

Orv::ComPtr<IVyrCommand> CreateMenuPathCommand(const wchar_t* path, ULONG id)
{
    Orv::ComPtr<IVyrCommand> command;
    IHostCommandService* service = CommandServiceAccessor::Get();
    if (!service)
        return command;
    const Orv::String text(path);
    const Orv::String none;
    const bool separator = IsSeparatorPath(path);
    service->CreateCommand(id, VyrCommandKind::MenuPath, separator ? none.Interface() : text.Interface(),
                           separator ? text.Interface() : none.Interface(), none.Interface(), none.Interface(),
                           command.Put());
    return command;
}

Orv::ComPtr<IVyrCommand> CreateCommandCore(const MenuCommandSpec& spec)
{
    Orv::ComPtr<IVyrCommand> command;
    IHostCommandService* service = CommandServiceAccessor::Get();
    if (!service)
        return command;
    const Orv::String path(spec.path);
    if (FAILED(service->CreateCommandEx(VyrCommandCreateFlags, spec.number, spec.id, spec.kind, path.Interface(),
                                        ModuleText(spec.captionId).Interface(),
                                        ModuleText(spec.captionId + 1).Interface(),
                                        ModuleText(spec.captionId + 2).Interface(), spec.placement, spec.image,
                                        command.Put())) ||
        !command)
        return {};
    ULONG id = spec.id;
    if (id == 0)
        command->GetId(&id);
    command->SetId(id);
    return command;
}

Orv::ComPtr<IVyrCommand> CreateMenuCommand(const wchar_t* path, UINT captionId, USHORT number, ULONG placement,
                                           ULONG image)
{
    return CreateCommandCore({VyrCommandKind::Full, number, DocumentCommandId(number), path, captionId, placement,
                              image});
}

Orv::ComPtr<IVyrCommand> CreateMenuPopupCommand(const wchar_t* path, UINT captionId)
{
    return CreateCommandCore({VyrCommandKind::MenuPath, 0, 0, path, captionId, 0, 0});
}

Orv::ComPtr<IVyrCommand> CreateMenuItemCommand(const wchar_t* path, UINT captionId, ULONG commandId)
{
    return CreateCommandCore({VyrCommandKind::MenuPath, commandId & 0xFFFF, commandId, path, captionId, 0, 0});
}

Orv::ComPtr<IVyrCommand> CreateModuleMenuCommand(const wchar_t* title, const wchar_t* moduleName)
{
    Orv::ComPtr<IVyrCommand> command;
    IHostCommandService* service = CommandServiceAccessor::Get();
    if (!service)
        return command;
    const Orv::String none, titleText(title), moduleText(moduleName);
    service->CreateCommand(0, VyrCommandKind::ModuleOwner, none.Interface(), none.Interface(), titleText.Interface(),
                           moduleText.Interface(), command.Put());
    return command;
}
