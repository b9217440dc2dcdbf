// The document class the module registers: the host makes a SistraDocument for each of its documents.
#include "document/core/SistraDocument.h"

#include "hostframework/entry/ClassRegistration.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/document/VyrDocumentClass.h"

namespace Sistra
{
namespace
{

constexpr ULONG DocumentClassFlags = 1;

class SistraDocumentClassMaker final : public DocumentClassMaker
{
public:
    IVyrClassObject* GetClassObject() override
    {
        return new (std::nothrow) VyrDocumentClass<SistraDocument>({L"Sistra Document", &SistraDocumentGUID,
                                                                     &VyrDocumentCategoryGUID, DocumentTypeId::Id(),
                                                                     DocumentClassFlags});
    }
};

SistraDocumentClassMaker maker;

} // namespace
} // namespace Sistra
