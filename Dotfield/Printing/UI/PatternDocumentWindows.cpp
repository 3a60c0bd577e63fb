#include "Dotfield/Printing/UI/PatternDocumentWindows.hpp"

#include <utility>

#include <QAction>
#include <QFileDialog>
#include <QMenu>

#include "Dotfield/Printing/Document/PatternFileTypes.hpp"
#include "Dotfield/Printing/UI/PatternDocumentWindow.hpp"

namespace Dotfield {

PatternDocumentWindows::PatternDocumentWindows(std::shared_ptr<PatternDocumentController> controller,
                                               QObject* parent)
    : QObject(parent), controller_(std::move(controller)), chooseFiles_(dialogChooser()) {}

PatternDocumentWindows::~PatternDocumentWindows() {
    // Each window's destroyed signal erases its entry from windows_, so the
    // map is taken out first and the windows deleted from the copy.
    const auto windows = std::exchange(windows_, {});
    for (const auto& [document, window] : windows) {
        delete window.data();
    }
}

PatternDocumentWindow* PatternDocumentWindows::openDocument(const std::filesystem::path& file) {
    const auto opened = controller_->openDocument(file);
    if (!opened) {
        return nullptr;
    }
    const PatternDocument* document = opened->document.get();
    if (opened->alreadyOpen) {
        // Without a window the document is closing (its print is stopping).
        PatternDocumentWindow* window = windowForDocument(document);
        if (window) {
            window->show();
            window->raise();
            window->activateWindow();
        }
        return window;
    }
    auto* window = new PatternDocumentWindow(opened->document);
    window->setAttribute(Qt::WA_DeleteOnClose);
    windows_[document] = window;
    connect(window, &QObject::destroyed, this, [this, document] { windows_.erase(document); });
    window->resize(1000, 600);
    window->show();
    return window;
}

void PatternDocumentWindows::openDocumentWithDialog(QWidget* parent) {
    for (const auto& file : chooseFiles_ ? chooseFiles_(parent) : std::vector<std::filesystem::path>{}) {
        openDocument(file);
    }
}

PatternDocumentWindows::OpenFileChooser PatternDocumentWindows::dialogChooser() {
    return [](QWidget* parent) {
        QStringList filters;
        for (const auto& filter : patternOpenDialogFilters()) {
            filters.append(QString::fromStdString(filter));
        }
        std::vector<std::filesystem::path> files;
        for (const QString& name : QFileDialog::getOpenFileNames(parent, QStringLiteral("Open"), QString(),
                                                                 filters.join(QStringLiteral(";;")))) {
            files.emplace_back(name.toStdString());
        }
        return files;
    };
}

void PatternDocumentWindows::fillOpenRecentMenu(QMenu& menu) {
    menu.clear();
    for (const auto& file : controller_->recentDocumentURLs()) {
        QAction* action = menu.addAction(QString::fromStdString(file.filename().string()));
        action->setToolTip(QString::fromStdString(file.string()));
        connect(action, &QAction::triggered, this, [this, file] { openDocument(file); });
    }
    menu.addSeparator();
    QAction* clear = menu.addAction(QStringLiteral("Clear Menu"));
    clear->setEnabled(!controller_->recentDocumentURLs().empty());
    connect(clear, &QAction::triggered, this, [this] { controller_->clearRecentDocuments(); });
}

PatternDocumentWindow* PatternDocumentWindows::windowForDocument(const PatternDocument* document) const {
    const auto found = windows_.find(document);
    return found == windows_.end() ? nullptr : found->second.data();
}

std::vector<PatternDocumentWindow*> PatternDocumentWindows::windows() const {
    std::vector<PatternDocumentWindow*> open;
    for (const auto& [document, window] : windows_) {
        if (window) {
            open.push_back(window.data());
        }
    }
    return open;
}

} // namespace Dotfield
