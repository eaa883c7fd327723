#pragma once

#include <QImage>
#include <QString>
#include <QTemporaryFile>
#include <memory>
#include <optional>
#include <vector>

namespace nivaro {

// Opens a picture in the desktop's viewer for its kind. The viewer reads
// the file after the call has returned, perhaps more than once, so each
// picture's temporary PNG stays until this opener goes with the window.
class PictureOpener {
public:
    // Why the picture could not be written or handed on; nothing when the
    // viewer was asked to open it.
    std::optional<QString> Open(const QImage& picture);

private:
    std::vector<std::unique_ptr<QTemporaryFile>> files_;
};

}  // namespace nivaro
