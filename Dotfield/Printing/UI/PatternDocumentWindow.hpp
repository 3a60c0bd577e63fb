#pragma once
// The window of a pattern document: the preview, the placement (origin), the
// unit and scale with the pattern's size, the feature width, where printing
// starts, the print options, the solution table (name, enabled, well), the
// print controls with progress and status, and export. Its title is the
// document's file name. The controls show the document's fields and write
// edits back to them; the document tells the window of every change. While a
// print runs, the placement, scale, options, solution table and export are
// disabled, and the starting fields take edits only while a pause is asked.

#include <memory>

#include <QWidget>

#include "Dotfield/Printing/Document/PatternDocument.hpp"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace Dotfield {

class PatternPreview;

class PatternDocumentWindow : public QWidget, public PatternDocumentWindowSide {
    Q_OBJECT

  public:
    // The window shows the document's state as read and runs its loading.
    explicit PatternDocumentWindow(std::shared_ptr<PatternDocument> document, QWidget* parent = nullptr);
    ~PatternDocumentWindow() override;

    PatternDocument& document() { return *document_; }
    PatternPreview& preview() { return *preview_; }

    // PatternDocumentWindowSide
    void showScaleText(const std::string& text) override;
    void closeDocumentWindow() override;
    void endEditing() override;
    void setVisible(bool visible) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void buildControls();
    void connectControls();
    void refreshField(std::string_view property);
    void refreshSolutionTable();
    void refreshPrintControls();

    std::shared_ptr<PatternDocument> document_;
    PatternPreview* preview_ = nullptr;
    QDoubleSpinBox* originX_ = nullptr;
    QDoubleSpinBox* originY_ = nullptr;
    QDoubleSpinBox* originZ_ = nullptr;
    QComboBox* unit_ = nullptr;
    QLineEdit* scaleField_ = nullptr;
    QLabel* widthLabel_ = nullptr;
    QLabel* heightLabel_ = nullptr;
    QDoubleSpinBox* featureWidth_ = nullptr;
    QSpinBox* startingLayer_ = nullptr;
    QSpinBox* startingItem_ = nullptr;
    QCheckBox* spraying_ = nullptr;
    QCheckBox* findSurface_ = nullptr;
    QCheckBox* stayAtEnd_ = nullptr;
    QCheckBox* optimize_ = nullptr;
    QCheckBox* overrideDroplet_ = nullptr;
    QDoubleSpinBox* dropletMilliseconds_ = nullptr;
    QTableWidget* solutionTable_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* resumeFromHereButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    bool refreshing_ = false;
    bool closed_ = false;
};

} // namespace Dotfield
