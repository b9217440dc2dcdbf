// Small pieces every analysis view uses: a flag raised for a scope, and the texts of the host's
// commands titled with the view's name.
#pragma once

#include "foundation/text/String.h"

#include <windows.h>

namespace Sistra
{

// Puts a flag up for a scope when it was down, and down again afterwards (an outer scope that raised it
// keeps it up).
class RaisedFlag
{
public:
    explicit RaisedFlag(bool& flag) : flag_(flag), raised_(!flag) { flag_ = true; }
    ~RaisedFlag()
    {
        if (raised_)
            flag_ = false;
    }
    RaisedFlag(const RaisedFlag&) = delete;
    RaisedFlag& operator=(const RaisedFlag&) = delete;

private:
    bool& flag_;
    bool raised_;
};

// The string-table text formatId with the view's title for %1 ("Copy Sistra %1").
Orv::String TitledCommandText(UINT formatId, const Orv::String& title);

} // namespace Sistra
