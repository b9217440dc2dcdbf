// Number punctuation of the module's global stream locale: the user's decimal separator and never a
// thousands separator, so numbers written for people can be read back unambiguously.
#pragma once

#include <locale>
#include <string>

template <class CharT>
class NoThousandsSep : public std::numpunct<CharT>
{
public:
    NoThousandsSep(CharT decimalPoint, CharT thousandsSep, std::size_t refs = 0)
        : std::numpunct<CharT>(refs), decimalPoint_(decimalPoint), thousandsSep_(thousandsSep)
    {
    }

protected:
    CharT do_decimal_point() const override { return decimalPoint_; }
    CharT do_thousands_sep() const override { return thousandsSep_; }
    std::string do_grouping() const override { return std::string(); }

private:
    CharT decimalPoint_;
    CharT thousandsSep_;
};
