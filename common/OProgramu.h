#pragma once
// The about box: the program's name, its version and build date, and the
// credits.
#include <QString>
#include <string_view>

// The version the build compiles into the program ("1.3.0.0").
std::string_view VerzeSestaveni();

// The version text "%d.%d": the major and the minor number of `verze` (a
// version of two to four numbers, each from 0 to 65535). Empty when `verze`
// is empty or is no such version.
QString VerzeProgramu(std::string_view verze = VerzeSestaveni());

// The about text, lines joined by CR LF; it ends with the credits' line of
// underscores and no line break.
QString TextOProgramu(const QString& titulek, const QString& datumSestaveni, const QString& verze);

// Shows the about text of this build in the box captioned "O programu".
void ZobrazOProgramu(const QString& titulek, const QString& datumSestaveni);
