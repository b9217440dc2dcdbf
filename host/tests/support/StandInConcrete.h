// What the seam's classes hold of the stand-in: shared by the files that build the seam.
#pragma once

#include "testsupport/StandInHost.h"

#include "foundation/com/ComPtr.h"
#include "host/app/document/HostDocument.h"
#include "host/app/recording/Recording.h"

namespace StandInHost
{

struct Recording::Concrete
{
    Host::Recording recording;
};

struct HostDocument::Concrete
{
    Orv::ComPtr<Host::HostDocument> document;
};

} // namespace StandInHost
