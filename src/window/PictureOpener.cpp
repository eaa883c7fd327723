#include "PictureOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <exception>

#include "chart/export/ChartExport.h"

namespace nivaro {

std::optional<QString> PictureOpener::Open(const QImage& picture)
{
    auto file = std::make_unique<QTemporaryFile>(QDir(QDir::tempPath()).filePath(QStringLiteral("nivaro-carpet-XXXXXX.png")));
    if (!file->open()) {
        return QStringLiteral("The picture could not be written to %1: %2").arg(QDir::tempPath(), file->errorString());
    }
    file->close();
    try {
        SaveImageAsPng(picture, file->fileName().toStdString());
    } catch (const std::exception& error) {
        return QStringLiteral("The picture could not be written: %1").arg(QString::fromUtf8(error.what()));
    }
    const QUrl url = QUrl::fromLocalFile(file->fileName());
    files_.push_back(std::move(file));
    if (!QDesktopServices::openUrl(url)) {
        return QStringLiteral("No program opens %1.").arg(url.toLocalFile());
    }
    return std::nullopt;
}

}  // namespace nivaro
