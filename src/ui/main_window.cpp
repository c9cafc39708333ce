#include "ui/main_window.h"

#include <QCloseEvent>
#include <QSplitter>
#include <QVBoxLayout>

#include "browse/shell_rules.h"
#include "browse/window_captions.h"
#include "scan/messages.h"
#include "ui/bridge/text.h"
#include "ui/icons.h"
#include "ui/splash.h"

namespace volumist::ui {

MainWindow::MainWindow(ProgramSettings& settings, WindowServices services, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      services_(std::move(services)),
      threadSafePrompter_(std::make_unique<ThreadSafePrompter>(*services_.prompter)),
      prompter_(*services_.prompter),
      volumeList_(*services_.fileSystem, *threadSafePrompter_, *this) {
  InitResources();
  if (services_.launcher == nullptr) {
    ownLauncher_ = std::make_unique<DesktopLauncher>();
    services_.launcher = ownLauncher_.get();
  }
  scan_ = std::make_unique<ScanController>(*services_.fileSystem, *threadSafePrompter_, services_.drives,
                                           services_.scanHelperThreads);
  status_ = messages::kStatusIdle;
  BuildWindow();
  ApplySettings();
}

MainWindow::~MainWindow() {
  // A scan still running (the window is destroyed without closing) is stopped and joined before the
  // volume it may have closed goes away.
  statisticsTimer_.stop();
  scan_.reset();
  // The views forget the volume before it goes with the members; the widgets go later, with the
  // window, and may still ask their models for data while they are hidden.
  if (browse_) browse_->ShowVolume(nullptr);
  if (splash_) delete splash_.data();
}

void MainWindow::BuildWindow() {
  setWindowTitle(ToQString(browse::WindowTitle()));
  setWindowIcon(ProgramIcon());
  setMinimumSize(browse::kMinimumWidth, browse::kMinimumHeight);

  actions_ = new ActionRegistry(*this);
  connect(actions_, &ActionRegistry::Triggered, this, &MainWindow::OnCommand);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  strip_ = new CommandStripWidget(*actions_, central);
  layout->addWidget(strip_);

  volumeModel_ = std::make_unique<VolumeListModel>(volumeList_);
  presence_ = std::make_unique<PresenceWatcher>(
      services_.volumePresence ? services_.volumePresence : SystemPresenceSource(), services_.watchMounts);
  connect(presence_.get(), &PresenceWatcher::Updated, this, [this] { volumeModel_->SetPresence(presence_->Presence()); });
  volumePanel_ = new VolumePanel(*actions_, *volumeModel_, central);
  connect(volumePanel_, &VolumePanel::VolumeChosen, this, &MainWindow::OnVolumeChosen);
  browse_ = new BrowsePane(settings_, *actions_, central);
  browse_->storeDescription = [this](RecordKey key, const std::string& text) { return SetDescription(key, text); };
  browse_->runCommand = [this](browse::Command command) { Run(command); };
  connect(browse_, &BrowsePane::NavigationChanged, this, &MainWindow::ApplyCommandState);
  // Apply and Undo are offered as soon as a description is typed, before it is stored.
  connect(browse_, &BrowsePane::DescriptionEdited, this, &MainWindow::ApplyCommandState);
  connect(browse_, &BrowsePane::ContextMenuRequested, this, &MainWindow::ShowFilesMenu);
  itemActions_ = std::make_unique<ItemActions>(*services_.launcher, prompter_, *services_.fileSystem,
                                               services_.drives.isMediumPresent, this);

  auto* splitter = new QSplitter(Qt::Horizontal, central);
  splitter->addWidget(volumePanel_);
  splitter->addWidget(browse_);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setChildrenCollapsible(false);
  // The volume list starts wide enough for its arrange caption.
  splitter->setSizes({190, 1000});
  layout->addWidget(splitter, 1);

  statistics_ = new StatisticsBar(central);
  layout->addWidget(statistics_);
  setCentralWidget(central);

  setTabOrder(strip_, volumePanel_->ArrangeButton());
  setTabOrder(volumePanel_->ArrangeButton(), volumePanel_->List());
  setTabOrder(volumePanel_->List(), volumePanel_->DirectoryButton());
  setTabOrder(volumePanel_->DirectoryButton(), browse_->FolderTree());
  setTabOrder(browse_->FolderTree(), browse_->FileList()->ReportView());
  setTabOrder(browse_->FileList()->ReportView(), browse_->DescriptionPane());
  setTabOrder(browse_->DescriptionPane(), browse_->FileDataPane());

  statisticsTimer_.setInterval(browse::kStatisticsTickMilliseconds);
  connect(&statisticsTimer_, &QTimer::timeout, this, &MainWindow::OnStatisticsTick);

  tray_ = std::make_unique<TrayController>(*this, services_.trayAvailable);
}

void MainWindow::ApplySettings() {
  volumeList_.SetDirectory(settings_.VolumeDirectory());
  Arrange(static_cast<int>(volumeList_.Arrangement()));
  ApplyToolTips();
  ApplyCommandState();
  browse_->ShowVolume(nullptr);
  UpdateStatistics();
}

void MainWindow::Start() {
  RefreshVolumeList(false);
  if (settings_.ShowSplash) {
    auto* splash = new SplashWindow();
    splash_ = splash;
    splash->show();
    splash->Timer()->start();
  }
  showMaximized();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // While a scan runs the window stays: the worker writes the volume it will show. While an export
  // runs, its progress window offers the stop.
  if (scanning_ || export_) {
    event->ignore();
    return;
  }
  browse_->CommitDescription();
  if (!browse::OfferToSaveDescriptions(loaded_.get(), prompter_)) {
    event->ignore();
    return;
  }
  settings_.explorerMode = browse_->ExplorerMode();
  if (loaded_) loaded_->CloseVolume(false);
  loaded_.reset();
  browse_->ShowVolume(nullptr);
  if (tray_) tray_->Restore();
  if (splash_) splash_->close();
  event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_) tray_->Minimised();
}

}  // namespace volumist::ui
