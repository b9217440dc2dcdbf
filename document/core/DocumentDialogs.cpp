#include "document/core/DocumentDialogs.h"

namespace Sistra
{

DocumentDialogs& InstalledDocumentDialogs()
{
    static DocumentDialogs dialogs;
    return dialogs;
}

} // namespace Sistra
