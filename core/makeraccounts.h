#pragma once

#include <QString>
#include <span>

// The maker's own accounts, whose logins and notes slipped into site
// catalogues given to users. The data module clears every stored login and
// note that matches one of these conditions at each start. Conditions are
// joined by OR and their values reach the engine as bound parameters.
struct TAccountCondition
{
    enum Test { Like, Equals };
    const char16_t *field;
    Test test;
    const char16_t *value; // for Like, '%' stands for any text
};

// Clear Username and Password where one of these holds (ten conditions).
std::span<const TAccountCondition> MakerLoginConditions();
// Clear UserNotes where one of these holds (seven conditions).
std::span<const TAccountCondition> MakerNoteConditions();
