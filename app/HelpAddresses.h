// SPDX-License-Identifier: GPL-3.0-or-later
// The two addresses the "Aide" menu and the About window open.
#pragma once

#include <QString>

class TEnvironment;

/// The user guide's page, relative to the program's folder (ending with '/'):
/// docs/guide/index.html beside the program, as a file address.
QString UserGuideUrl(const QString& ProgramFolder);

/// The user guide's page for the program as it runs: beside the program, or
/// in the system's folder for it when it is installed (SystemFolders.h).
QString UserGuideUrl(const TEnvironment& Environment);

/// The project's home page, chosen when the program is built (LA16_HOME_PAGE);
/// the user guide when none was chosen.
QString HomePageUrl(const TEnvironment& Environment);

/// A short caption for a link to Url: its host name, or "Guide de la16" for
/// an address without one (a file).
QString LinkCaption(const QString& Url);
