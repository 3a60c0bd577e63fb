#include "Dotfield/Printing/UI/PatternDocumentWindow.hpp"

#include <limits>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Dotfield/Printing/UI/PatternPreview.hpp"

namespace Dotfield {

namespace {

enum SolutionColumn { nameColumn = 0, enabledColumn = 1, wellColumn = 2 };

QDoubleSpinBox* numberBox(const char* objectName, int decimals) {
    auto* box = new QDoubleSpinBox;
    box->setObjectName(objectName);
    box->setLocale(QLocale::c());
    box->setDecimals(decimals);
    box->setRange(-1e9, 1e9);
    return box;
}

QCheckBox* checkBox(const char* objectName, const char* title) {
    auto* box = new QCheckBox(title);
    box->setObjectName(objectName);
    return box;
}

} // namespace

PatternDocumentWindow::PatternDocumentWindow(std::shared_ptr<PatternDocument> document, QWidget* parent)
    : QWidget(parent), document_(std::move(document)) {
    setWindowTitle(QString::fromStdString(document_->displayName()));
    buildControls();
    document_->setPreview(preview_);
    document_->setWindowSide(this);
    for (const char* property :
         {"originX", "originY", "originZ", "selectedScaleFactor", "patternWidthDescription", "featureWidth",
          "startingLayer", "startingItemInLayer", "useSprayingInsteadOfDispensing",
          "findSurfaceAtStartOfEachPatternItem", "stayAtEndOfPatternWhenDone", "optimizePatternLayout",
          "overrideDropletDispensingTime", "overriddenDropletDispensingTimeInMilliseconds"}) {
        refreshField(property);
    }
    refreshSolutionTable();
    connectControls();
    document_->addObserver([this](std::string_view property) { refreshField(property); }, this);
    document_->windowControllerDidLoad();
    refreshPrintControls();
}

PatternDocumentWindow::~PatternDocumentWindow() {
    document_->removeObservers(this);
    document_->setPreview(nullptr);
    document_->setWindowSide(nullptr);
}

void PatternDocumentWindow::buildControls() {
    preview_ = new PatternPreview;
    preview_->setObjectName("patternPreview");
    preview_->setMinimumSize(420, 320);

    originX_ = numberBox("originX", 3);
    originY_ = numberBox("originY", 3);
    originZ_ = numberBox("originZ", 3);
    unit_ = new QComboBox;
    unit_->setObjectName("unit");
    unit_->addItems({"microns", "millimeters", "centimeters", "inches", "custom"});
    scaleField_ = new QLineEdit;
    scaleField_->setObjectName("scaleFactor");
    widthLabel_ = new QLabel;
    widthLabel_->setObjectName("patternWidth");
    heightLabel_ = new QLabel;
    heightLabel_->setObjectName("patternHeight");
    featureWidth_ = numberBox("featureWidth", 2);
    featureWidth_->setRange(0.0, 1e6);
    startingLayer_ = new QSpinBox;
    startingLayer_->setObjectName("startingLayer");
    startingLayer_->setRange(0, std::numeric_limits<int>::max());
    startingItem_ = new QSpinBox;
    startingItem_->setObjectName("startingItemInLayer");
    startingItem_->setRange(0, std::numeric_limits<int>::max());
    spraying_ = checkBox("useSprayingInsteadOfDispensing", "Spray instead of dispensing");
    findSurface_ = checkBox("findSurfaceAtStartOfEachPatternItem", "Find the surface for each item");
    stayAtEnd_ = checkBox("stayAtEndOfPatternWhenDone", "Stay at the end of the pattern");
    optimize_ = checkBox("optimizePatternLayout", "Optimise the printing order");
    overrideDroplet_ = checkBox("overrideDropletDispensingTime", "Override droplet time (ms)");
    dropletMilliseconds_ = numberBox("overriddenDropletDispensingTimeInMilliseconds", 3);
    dropletMilliseconds_->setRange(0.0, 1e6);

    solutionTable_ = new QTableWidget(0, 3);
    solutionTable_->setObjectName("solutionTable");
    solutionTable_->setHorizontalHeaderLabels({"Solution", "Enabled", "Well"});
    solutionTable_->horizontalHeader()->setStretchLastSection(true);
    solutionTable_->verticalHeader()->hide();

    pauseButton_ = new QPushButton("Print");
    pauseButton_->setObjectName("pauseButton");
    cancelButton_ = new QPushButton("Cancel");
    cancelButton_->setObjectName("cancelButton");
    resumeFromHereButton_ = new QPushButton("Resume From Here");
    resumeFromHereButton_->setObjectName("resumeFromHereButton");
    progress_ = new QProgressBar;
    progress_->setObjectName("progressIndicator");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    status_ = new QLabel;
    status_->setObjectName("printStatus");
    exportButton_ = new QPushButton("Export…");
    exportButton_->setObjectName("exportButton");

    auto* placement = new QFormLayout;
    auto* origin = new QHBoxLayout;
    origin->addWidget(originX_);
    origin->addWidget(originY_);
    origin->addWidget(originZ_);
    placement->addRow("Origin X, Y, Z:", origin);
    auto* scale = new QHBoxLayout;
    scale->addWidget(unit_);
    scale->addWidget(scaleField_);
    placement->addRow("Units:", scale);
    placement->addRow(widthLabel_, heightLabel_);
    placement->addRow("Feature width (microns):", featureWidth_);
    auto* start = new QHBoxLayout;
    start->addWidget(startingLayer_);
    start->addWidget(startingItem_);
    placement->addRow("Start at layer, item:", start);
    auto* droplet = new QHBoxLayout;
    droplet->addWidget(overrideDroplet_);
    droplet->addWidget(dropletMilliseconds_);

    auto* side = new QVBoxLayout;
    side->addLayout(placement);
    side->addWidget(spraying_);
    side->addWidget(findSurface_);
    side->addWidget(stayAtEnd_);
    side->addWidget(optimize_);
    side->addLayout(droplet);
    side->addWidget(solutionTable_);

    auto* top = new QHBoxLayout;
    top->addWidget(preview_, 1);
    top->addLayout(side);

    auto* controls = new QHBoxLayout;
    controls->addWidget(pauseButton_);
    controls->addWidget(cancelButton_);
    controls->addWidget(resumeFromHereButton_);
    controls->addWidget(progress_, 1);
    controls->addWidget(exportButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(controls);
    layout->addWidget(status_);
}

void PatternDocumentWindow::connectControls() {
    auto& document = *document_;
    const auto onNumber = [this](QDoubleSpinBox* box, auto setter) {
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, setter](double value) {
            if (!refreshing_) {
                (document_.get()->*setter)(value);
            }
        });
    };
    onNumber(originX_, &PatternDocument::setOriginX);
    onNumber(originY_, &PatternDocument::setOriginY);
    onNumber(originZ_, &PatternDocument::setOriginZ);
    onNumber(featureWidth_, &PatternDocument::setFeatureWidth);
    onNumber(dropletMilliseconds_, &PatternDocument::setOverriddenDropletDispensingTimeInMilliseconds);
    const auto onCheck = [this](QCheckBox* box, auto setter) {
        connect(box, &QCheckBox::toggled, this, [this, setter](bool value) {
            if (!refreshing_) {
                (document_.get()->*setter)(value);
            }
        });
    };
    onCheck(spraying_, &PatternDocument::setUseSprayingInsteadOfDispensing);
    onCheck(findSurface_, &PatternDocument::setFindSurfaceAtStartOfEachPatternItem);
    onCheck(stayAtEnd_, &PatternDocument::setStayAtEndOfPatternWhenDone);
    onCheck(optimize_, &PatternDocument::setOptimizePatternLayout);
    onCheck(overrideDroplet_, &PatternDocument::setOverrideDropletDispensingTime);
    connect(startingLayer_, &QSpinBox::valueChanged, this, [this](int value) {
        if (!refreshing_) {
            document_->setStartingLayer(value);
        }
    });
    connect(startingItem_, &QSpinBox::valueChanged, this, [this](int value) {
        if (!refreshing_) {
            document_->setStartingItemInLayer(value);
        }
    });
    connect(unit_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!refreshing_) {
            document_->setSelectedScaleFactor(index);
        }
    });
    connect(scaleField_, &QLineEdit::editingFinished, this,
            [this] { document_->updatedScaleFactor(scaleField_->text().toStdString()); });
    connect(solutionTable_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!refreshing_ && item->column() == enabledColumn) {
            document_->setSolutionEnabledForRow(item->row(), item->checkState() == Qt::Checked);
        }
    });
    connect(exportButton_, &QPushButton::clicked, this, [&document] { document.exportPattern(); });
    connect(pauseButton_, &QPushButton::clicked, this, [&document] { document.pauseOrResume(); });
    connect(cancelButton_, &QPushButton::clicked, this, [&document] { document.cancelPrinting(); });
    connect(resumeFromHereButton_, &QPushButton::clicked, this, [&document] { document.resumeFromHere(); });
}

void PatternDocumentWindow::refreshField(std::string_view property) {
    refreshing_ = true;
    auto& document = *document_;
    if (property == "originX") {
        originX_->setValue(document.originX());
    } else if (property == "originY") {
        originY_->setValue(document.originY());
    } else if (property == "originZ") {
        originZ_->setValue(document.originZ());
    } else if (property == "selectedScaleFactor") {
        const int index = document.selectedScaleFactor();
        unit_->setCurrentIndex(index >= 0 && index <= 3 ? index : 4);
    } else if (property == "patternWidthDescription" || property == "patternHeightDescription") {
        widthLabel_->setText(QString::fromStdString(document.patternWidthDescription()));
        heightLabel_->setText(QString::fromStdString(document.patternHeightDescription()));
    } else if (property == "featureWidth") {
        featureWidth_->setValue(document.featureWidth());
    } else if (property == "startingLayer") {
        startingLayer_->setValue(document.startingLayer());
    } else if (property == "startingItemInLayer") {
        startingItem_->setValue(document.startingItemInLayer());
    } else if (property == "useSprayingInsteadOfDispensing") {
        spraying_->setChecked(document.useSprayingInsteadOfDispensing());
    } else if (property == "findSurfaceAtStartOfEachPatternItem") {
        findSurface_->setChecked(document.findSurfaceAtStartOfEachPatternItem());
    } else if (property == "stayAtEndOfPatternWhenDone") {
        stayAtEnd_->setChecked(document.stayAtEndOfPatternWhenDone());
    } else if (property == "optimizePatternLayout") {
        optimize_->setChecked(document.optimizePatternLayout());
    } else if (property == "overrideDropletDispensingTime") {
        overrideDroplet_->setChecked(document.overrideDropletDispensingTime());
    } else if (property == "overriddenDropletDispensingTimeInMilliseconds") {
        dropletMilliseconds_->setValue(document.overriddenDropletDispensingTimeInMilliseconds());
    } else if (property == "printControls" || property == "currentlyPrinting" || property == "printingPaused" ||
               property == "canResumeFromHere") {
        refreshPrintControls();
    } else if (property == "printProgress") {
        progress_->setValue(static_cast<int>(document.printProgress()));
    } else if (property == "printStatus") {
        status_->setText(QString::fromStdString(document.printStatus()));
    } else if (property == "solutionWellNames") {
        refreshing_ = false;
        refreshSolutionTable();
    }
    refreshing_ = false;
}

void PatternDocumentWindow::refreshSolutionTable() {
    refreshing_ = true;
    auto& document = *document_;
    const int rows = document.numberOfSolutionRows();
    solutionTable_->setRowCount(rows);
    QStringList wellTitles;
    for (const auto& name : document.solutionWellNames()) {
        wellTitles.append(QString::fromStdString(name));
    }
    if (wellTitles.isEmpty()) {
        wellTitles.append(PatternDocument::solutionInDispenserTitle);
    }
    for (int row = 0; row < rows; ++row) {
        auto* name = new QTableWidgetItem(QString::fromStdString(document.solutionNameForRow(row)));
        name->setFlags(Qt::ItemIsEnabled);
        solutionTable_->setItem(row, nameColumn, name);
        auto* enabled = new QTableWidgetItem;
        enabled->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        enabled->setCheckState(document.solutionEnabledForRow(row) ? Qt::Checked : Qt::Unchecked);
        solutionTable_->setItem(row, enabledColumn, enabled);
        auto* well = new QComboBox;
        well->addItems(wellTitles);
        well->setCurrentIndex(document.solutionWellIndexForRow(row));
        connect(well, &QComboBox::currentIndexChanged, this, [this, row](int index) {
            if (!refreshing_) {
                document_->setSolutionWellIndexForRow(row, index);
            }
        });
        solutionTable_->setCellWidget(row, wellColumn, well);
    }
    refreshing_ = false;
}

void PatternDocumentWindow::showScaleText(const std::string& text) { scaleField_->setText(QString::fromStdString(text)); }

void PatternDocumentWindow::refreshPrintControls() {
    const auto& document = *document_;
    const auto title = document.pauseButtonTitle();
    pauseButton_->setText(title ? QString::fromStdString(*title) : QStringLiteral("Print"));
    cancelButton_->setVisible(document.cancelButtonShown());
    resumeFromHereButton_->setVisible(document.resumeFromHereButtonShown());
    resumeFromHereButton_->setEnabled(document.canResumeFromHere());
    const bool printing = document.currentlyPrinting();
    for (QWidget* control : std::initializer_list<QWidget*>{
             originX_, originY_, originZ_, unit_, scaleField_, featureWidth_, spraying_, findSurface_, stayAtEnd_,
             optimize_, overrideDroplet_, dropletMilliseconds_, solutionTable_, exportButton_}) {
        control->setEnabled(!printing);
    }
    const bool startEditable = !printing || document.printingPaused();
    startingLayer_->setEnabled(startEditable);
    startingItem_->setEnabled(startEditable);
}

void PatternDocumentWindow::endEditing() {
    // Typed text in a number field takes effect before the press acts on it.
    for (QAbstractSpinBox* box : {static_cast<QAbstractSpinBox*>(startingLayer_),
                                  static_cast<QAbstractSpinBox*>(startingItem_)}) {
        box->interpretText();
    }
    if (QWidget* focused = focusWidget()) {
        focused->clearFocus();
    }
}

void PatternDocumentWindow::closeDocumentWindow() {
    if (closed_) {
        return;
    }
    closed_ = true;
    close();
}

void PatternDocumentWindow::setVisible(bool visible) {
    // A closed document's window does not come back.
    QWidget::setVisible(visible && !closed_);
}

void PatternDocumentWindow::closeEvent(QCloseEvent* event) {
    closed_ = true;
    // A running print stops after its item and closes the document at its
    // end; otherwise the document closes with its window.
    document_->windowWillClose();
    if (!document_->currentlyPrinting()) {
        document_->close();
    }
    QWidget::closeEvent(event);
}

void PatternDocumentWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        document_->windowDidBecomeActive();
    }
}

} // namespace Dotfield
