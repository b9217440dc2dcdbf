// Compiles calculation text into the sample channel or event source it describes.
#pragma once

#include "host/app/calc/CalcFunctions.h"
#include "host/app/calc/CalcSyntax.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Host::Calc
{

struct CompileContext
{
    const Recording& recording;
    // Functions and named items registered outside the host; consulted after the host's own names.
    FunctionLookup lookup;
    // The texts of the document's calculated channels: vch1 is the first.
    std::vector<std::string> calculatedChannels;
    // The document's named data items that hold a calculation, by lower-case name: the name stands for
    // what its text yields (a channel or an event source).
    std::map<std::string, std::string> namedItems;
    // The event sources of named items already compiled, by lower-case name: a text that names one
    // shares it (and the events it has worked out) instead of compiling the item's text again.
    std::map<std::string, EventNodePtr> compiledItems;
    // The units the host shows each channel in: chN reads shown values, ch(N, "base") recorded ones, both
    // without their prefixes. Empty: both read the samples as recorded.
    ShownScaleLookup shownScale;
};

// A whole expression: a channel (a constant text is a constant channel) or an event source.
struct CompiledExpression
{
    ValueKind kind;
    SampleNodePtr channel;
    EventNodePtr events;
};

// Throws CalcTextError naming the position of what cannot be compiled.
CompiledExpression CompileExpression(std::string_view text, const CompileContext& context);

} // namespace Host::Calc
