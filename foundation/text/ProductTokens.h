// Product tokens: upper-case words in string-table texts that stand for the product's, the
// hardware's and the maker's names, replaced by fixed values.
#pragma once

#include "foundation/text/String.h"

#include <vector>

namespace Orv
{

struct ProductToken
{
    String token;
    String value;
};

// In replacement order: a token that contains a shorter one comes before it.
using ProductTokenTable = std::vector<ProductToken>;

// The process's table, built on first use.
const ProductTokenTable& ProductTokens();
void BuildProductTokenTable(ProductTokenTable& table);

// Appends the token with its value; the settings key is carried for the record and not read.
void LookupProductToken(ProductTokenTable& table, HMODULE hostModule, String key, const String& token,
                        const String& defaultValue);

// Replaces every occurrence of every token, in table order.
void SubstituteProductTokens(String& text);

} // namespace Orv
