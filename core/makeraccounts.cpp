#include "makeraccounts.h"

namespace {

using C = TAccountCondition;

// The maker: Quorvane Software, mail domain quorvane.example.
constexpr TAccountCondition LoginConditions[] = {
    {u"Username", C::Like, u"%@quorvane.example"},
    {u"Username", C::Like, u"Quorvane%"},
    {u"Username", C::Equals, u"7316"},
    {u"Username", C::Like, u"kelsprint"},
    {u"Password", C::Equals, u"sprint-77"},
    {u"Password", C::Equals, u"qv2003"},
    {u"Password", C::Equals, u"kelp1e"},
    {u"Username", C::Equals, u"qvsoft"},
    {u"Username", C::Equals, u"kelsauthor"},
    {u"Username", C::Equals, u"quorvaneteam"},
};
static_assert(std::size(LoginConditions) == 10);

constexpr TAccountCondition NoteConditions[] = {
    {u"UserNotes", C::Like, u"%qv-7316"},
    {u"UserNotes", C::Like, u"%@quorvane.example%"},
    {u"UserNotes", C::Like, u"%kelsauthor"},
    {u"UserNotes", C::Like, u"%QVS-2231%"},
    {u"UserNotes", C::Like, u"Author number 5521%"},
    {u"UserNotes", C::Like, u"%login kelsprint, password sprint-77)"},
    {u"UserNotes", C::Like, u"%?devid=5521"},
};
static_assert(std::size(NoteConditions) == 7);

} // namespace

std::span<const TAccountCondition> MakerLoginConditions()
{
    return LoginConditions;
}

std::span<const TAccountCondition> MakerNoteConditions()
{
    return NoteConditions;
}
