#include "HelpTexts.h"

#include <QAction>
#include <vector>

#include "WindowTexts.h"
#include "engine/DensityKernel.h"
#include "output/RunFile.h"
#include "platform/LibraryVersions.h"

namespace nivaro {

QString ShortcutsTable(const QList<QAction*>& actions)
{
    QString rows;
    const auto addRow = [&rows](const QString& keys, const QString& meaning) {
        rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(keys.toHtmlEscaped(), meaning.toHtmlEscaped());
    };
    for (const QAction* action : actions) {
        if (!action->shortcut().isEmpty()) {
            addRow(action->shortcut().toString(QKeySequence::NativeText), action->text().remove(QLatin1Char('&')));
        }
    }
    const char* const others[][2] = {
        {"Esc", "Cancel the running computation"},
        {"Enter", "Apply the parameters (in any field of the panel)"},
        {"Ctrl+Tab", "Switch between the 3D and 2D pages"},
        {"Up, Down", "Step the slits or the contrast field"},
        {"Ctrl+Wheel, +, -", "Zoom the carpet about the mouse or its middle"},
        {"1, 0", "The carpet at one screen pixel per grid point, or fitted to the window"},
    };
    for (const auto& [keys, meaning] : others) {
        addRow(QString::fromUtf8(keys), QString::fromUtf8(meaning));
    }
    return QStringLiteral("<table cellspacing=6>%1</table>").arg(rows);
}

QString AboutText()
{
    std::vector<LibraryVersion> libraries = {
        {"Qt", qVersion(), "LGPL-3.0"},
        {"Highway", VectorLibraryVersion(), "Apache-2.0 or BSD-3-Clause"},
    };
    for (LibraryVersion& library : FileFormatLibraries()) {
        libraries.push_back(std::move(library));
    }
    QString rows;
    for (const LibraryVersion& library : libraries) {
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                    .arg(Text(library.name), Text(library.version), Text(library.licence));
    }
    return QStringLiteral("<h3>Nivaro %1</h3><p>Near-field (Talbot) diffraction of a particle by a grating of N slits: "
                          "psi as a coherent sum of spreading Gaussian packets, its density, Bohmian trajectories and "
                          "its spatial spectrum.</p><p>Built with:</p><table cellspacing=4><tr><th align=left>Library</th>"
                          "<th align=left>Version</th><th align=left>Licence</th></tr>%2</table>")
        .arg(QString::fromLatin1(kProgramVersion), rows);
}

}  // namespace nivaro
