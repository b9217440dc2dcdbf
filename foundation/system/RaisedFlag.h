// A flag put up for a scope: up when the scope starts, down again when it ends, unless an outer scope
// had raised it already (that one takes it down).
#pragma once

namespace Orv
{

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

} // namespace Orv
