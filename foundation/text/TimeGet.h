// Date and time reading facets of the module's global stream locale. Times may be durations of any
// number of hours when no date has been read; dates accept the user's date separator between fields.
#pragma once

#include <array>
#include <ctime>
#include <ios>
#include <iterator>
#include <locale>
#include <string>

namespace Orv
{

// What the facets take from the user's regional settings.
struct TimeGetSettings
{
    // Abbreviated and full names, alternating: Sunday first, January first.
    std::array<std::wstring, 14> weekdayNames;
    std::array<std::wstring, 24> monthNames;
    std::time_base::dateorder dateOrder = std::time_base::mdy;
    wchar_t dateSeparator = L'/';
};

template <class CharT, class InputIt>
class time_get;

template <>
class time_get<wchar_t, std::istreambuf_iterator<wchar_t>> : public std::locale::facet, public std::time_base
{
public:
    using char_type = wchar_t;
    using iter_type = std::istreambuf_iterator<wchar_t>;

    static std::locale::id id;

    explicit time_get(TimeGetSettings settings, std::size_t refs = 0);

    dateorder date_order() const { return do_date_order(); }
    iter_type get_time(iter_type b, iter_type e, std::ios_base& io, std::ios_base::iostate& err, std::tm* t) const
    {
        return do_get_time(b, e, io, err, t);
    }
    iter_type get_date(iter_type b, iter_type e, std::ios_base& io, std::ios_base::iostate& err, std::tm* t) const
    {
        return do_get_date(b, e, io, err, t);
    }
    iter_type get_weekday(iter_type b, iter_type e, std::ios_base& io, std::ios_base::iostate& err, std::tm* t) const
    {
        return do_get_weekday(b, e, io, err, t);
    }
    iter_type get_monthname(iter_type b, iter_type e, std::ios_base& io, std::ios_base::iostate& err, std::tm* t) const
    {
        return do_get_monthname(b, e, io, err, t);
    }
    iter_type get_year(iter_type b, iter_type e, std::ios_base& io, std::ios_base::iostate& err, std::tm* t) const
    {
        return do_get_year(b, e, io, err, t);
    }

protected:
    ~time_get() override = default;

    virtual dateorder do_date_order() const;
    virtual iter_type do_get_time(iter_type b, iter_type e, std::ios_base& io, std::ios_base::iostate& err,
                                  std::tm* t) const;
    virtual iter_type do_get_date(iter_type b, iter_type e, std::ios_base& io, std::ios_base::iostate& err,
                                  std::tm* t) const;
    virtual iter_type do_get_weekday(iter_type b, iter_type e, std::ios_base& io, std::ios_base::iostate& err,
                                     std::tm* t) const;
    virtual iter_type do_get_monthname(iter_type b, iter_type e, std::ios_base& io, std::ios_base::iostate& err,
                                       std::tm* t) const;
    virtual iter_type do_get_year(iter_type b, iter_type e, std::ios_base& io, std::ios_base::iostate& err,
                                  std::tm* t) const;

private:
    bool IsFieldSeparator(wchar_t c) const;
    void SkipSeparator(iter_type& b, const iter_type& e) const;

    TimeGetSettings settings_;
};

// The form registered in the global locale, under its own facet identity.
template <class CharT, class InputIt>
class time_getEx;

template <>
class time_getEx<wchar_t, std::istreambuf_iterator<wchar_t>> : public time_get<wchar_t, std::istreambuf_iterator<wchar_t>>
{
public:
    static std::locale::id id;

    using time_get::time_get;

protected:
    ~time_getEx() override = default;
};

using WideTimeGet = time_getEx<wchar_t, std::istreambuf_iterator<wchar_t>>;

} // namespace Orv
