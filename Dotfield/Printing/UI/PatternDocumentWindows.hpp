#pragma once
// The windows of the open pattern documents, over the document controller:
// File > Open… (a dialog filtered by the document types), Open Recent and
// files named on the command line open here. Each opened document gets its
// window; a file already open brings its window forward instead. A window
// goes when its document closes.
//
// Main thread.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>

#include "Dotfield/Printing/Document/PatternDocumentController.hpp"

class QMenu;
class QWidget;

namespace Dotfield {

class PatternDocumentWindow;

class PatternDocumentWindows final : public QObject {
    Q_OBJECT

  public:
    // Asks the operator for files to open; none when cancelled.
    using OpenFileChooser = std::function<std::vector<std::filesystem::path>(QWidget* parent)>;

    explicit PatternDocumentWindows(std::shared_ptr<PatternDocumentController> controller,
                                    QObject* parent = nullptr);
    ~PatternDocumentWindows() override;

    PatternDocumentController& controller() { return *controller_; }

    // Opens the file and shows its window (or brings it forward); nothing
    // after a failure, which the controller has shown.
    PatternDocumentWindow* openDocument(const std::filesystem::path& file);
    // File > Open…: every file the operator chooses.
    void openDocumentWithDialog(QWidget* parent = nullptr);
    // Fills the Open Recent menu: the recent files, then "Clear Menu".
    void fillOpenRecentMenu(QMenu& menu);

    PatternDocumentWindow* windowForDocument(const PatternDocument* document) const;
    std::vector<PatternDocumentWindow*> windows() const;

    // The chooser File > Open… uses (tests script their own).
    void setOpenFileChooser(OpenFileChooser chooser) { chooseFiles_ = std::move(chooser); }
    static OpenFileChooser dialogChooser();

  private:
    std::shared_ptr<PatternDocumentController> controller_;
    std::map<const PatternDocument*, QPointer<PatternDocumentWindow>> windows_;
    OpenFileChooser chooseFiles_;
};

} // namespace Dotfield
