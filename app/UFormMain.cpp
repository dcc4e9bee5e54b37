#include "app/UFormMain.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ExceptionGuard.h"
#include "app/FindDialog.h"
#include "app/NodeTextCodec.h"
#include "app/OutlineView.h"
#include "app/QtDialogs.h"
#include "app/ResultsPane.h"
#include "app/TreeModel.h"
#include "app/UZelApps.h"
#include "base/StrUtils.h"
#include "settings/IniFile.h"

namespace zel {

TFormMain::TFormMain(IDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), ilTree(MakeTreeImages()), FDialogs(dialogs) {
  if (FDialogs == nullptr) {
    FOwnDialogs = std::make_unique<TQtDialogs>();
    FDialogs = FOwnDialogs.get();
  }
  setObjectName("FormMain");
  setWindowTitle("Zel XML Editor 1.0");
  setGeometry(191, 108, 396, 298);
  setMinimumSize(395, 250);
  QFont font("Tahoma");
  font.setPointSize(8);
  setFont(font);

  CreateLayout();
  CreateCommands();
  CreateMenus();
  CreateToolBar();
  ConnectTree();
  ConnectSelection();
  ConnectEditing();
  FindDialog1 = new TFindDialog(this);
  FindDialog1->setObjectName("FindDialog1");
  // F3 and Shift+F3 also while the dialog has the focus.
  FindDialog1->addAction(Command(TCommandId::SearchFindNext)->Action());
  FindDialog1->addAction(Command(TCommandId::SearchFindPrevious)->Action());
  connect(FindDialog1, &TFindDialog::Find, this,
          [this] { Guarded([this] { FindDialog1Find(); }); });
  CreateResults();
  SetErrorReporter([this](const QString& message) { ApplicationEvents1Exception(message); });

  FRecovery = std::make_unique<TRecovery>(
      FDoc, [this] { return !ZelXMLTree1.IsBusy(); }, [this] { return FSession.Stamp(); });

  // The command states follow every change without a timer: whenever the event loop is about
  // to wait, which is what "idle" means here.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          [this] {
            Guarded([this] {
              FileNew1Update();
              IdleChecks();
            });
          });

  FormCreate();
  CreateFormStorage();
}

TFormMain::~TFormMain() {
  SetErrorReporter(nullptr);
  ZelReopen1.SetReopenMenu(nullptr);
  ZelReopen1.SetDropDownMenu(nullptr);
  // The view goes with the window; the model must stop listening before the outline goes.
  FTree.RemoveObserver(FModel);
  delete Results;
}

void TFormMain::CreateLayout() {
  auto* client = new QWidget(this);
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  PnlTree = new QFrame(client);
  PnlTree->setObjectName("PnlTree");
  PnlTree->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* treeBox = new QVBoxLayout(PnlTree);
  treeBox->setContentsMargins(1, 1, 1, 1);
  TreeView1 = new TOutlineView(PnlTree);
  TreeView1->setObjectName("TreeView1");
  TreeView1->setFrameShape(QFrame::NoFrame);
  TreeView1->setHeaderHidden(true);
  TreeView1->setUniformRowHeights(true);
  TreeView1->setRootIsDecorated(false);
  TreeView1->setIndentation(19);
  TreeView1->setIconSize(QSize(16, 16));
  TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
  TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
  treeBox->addWidget(TreeView1);
  column->addWidget(PnlTree, 1);

  PnlProgress = new QFrame(client);
  PnlProgress->setObjectName("PnlProgress");
  PnlProgress->setFrameStyle(QFrame::Panel | QFrame::Raised);
  PnlProgress->setFixedHeight(37);
  auto* row = new QHBoxLayout(PnlProgress);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  auto* barBox = new QWidget(PnlProgress);
  auto* barLayout = new QHBoxLayout(barBox);
  barLayout->setContentsMargins(9, 9, 9, 9);
  ProgressBar1 = new QProgressBar(barBox);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setTextVisible(false);
  barLayout->addWidget(ProgressBar1);
  row->addWidget(barBox, 1);
  auto* buttonBox = new QWidget(PnlProgress);
  buttonBox->setFixedWidth(80);
  auto* buttonLayout = new QHBoxLayout(buttonBox);
  buttonLayout->setContentsMargins(4, 4, 9, 4);
  BitBtn1 = new QPushButton("Cancel", buttonBox);
  BitBtn1->setObjectName("BitBtn1");
  buttonLayout->addWidget(BitBtn1);
  row->addWidget(buttonBox);
  // Esc presses Cancel at once (a button's own shortcut would wait for its click animation),
  // and only while the panel is shown, so that Esc stays free for everything else.
  FEscape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  FEscape->setEnabled(false);
  connect(FEscape, &QShortcut::activated, this, [this] {
    if (BitBtn1->isEnabled()) BitBtn1->click();
  });
  PnlProgress->hide();
  column->addWidget(PnlProgress);
  setCentralWidget(client);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setStatusTip("Node position (level, index, absolute index), status, and other hints");
  StatusBar1->setSizeGripEnabled(true);
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(StatusBar1);
    label->setObjectName(QStringLiteral("StatusPanels%1").arg(i));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);  // stage messages quote file names
    if (i < 2) {
      label->setFixedWidth(kPanelWidths[i]);
      label->setAlignment(Qt::AlignCenter);
    } else {
      label->setMinimumWidth(kPanelWidths[i]);
    }
    StatusBar1->addWidget(label, i == 2 ? 1 : 0);
    StatusPanels[i] = label;
  }
  setStatusBar(StatusBar1);
}

void TFormMain::ConnectTree() {
  FModel = new TTreeModel(FTree, ilTree, this);
  TreeView1->setModel(FModel);

  // Changes go both ways between view and outline; FSyncingView stops the echo.
  connect(TreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (!FModel->Suspended()) Sync([&] { FTree.SetSelected(TTreeModel::NodeOf(current)); });
          });
  connect(FModel, &TTreeModel::SelectionMoved, this, [this] {
    Sync([this] {
      TreeView1->selectionModel()->setCurrentIndex(FModel->IndexOf(FTree.Selected()),
                                                   QItemSelectionModel::ClearAndSelect);
    });
  });
  const auto viewExpanded = [this](const QModelIndex& i, bool expanded) {
    if (TTreeNode* n = TTreeModel::NodeOf(i); n != nullptr && n->Expanded() != expanded)
      Sync([&] { n->SetExpanded(expanded); });
  };
  connect(TreeView1, &QTreeView::expanded, this,
          [=](const QModelIndex& i) { viewExpanded(i, true); });
  // Qt asks nobody before a collapse: a refused one is undone at once.
  connect(TreeView1, &QTreeView::collapsed, this, [this](const QModelIndex& i) {
    TTreeNode* n = TTreeModel::NodeOf(i);
    if (n == nullptr || !n->Expanded()) return;
    Sync([&] {
      Guarded([&] {
        if (!FTree.CollapseRequested(n)) TreeView1->setExpanded(i, true);
      });
    });
  });
  connect(FModel, &TTreeModel::ExpandedChanged, this, [this](const QModelIndex& i, bool expanded) {
    if (i.isValid()) Sync([&] { TreeView1->setExpanded(i, expanded); });
  });
  connect(FModel, &TTreeModel::ScrollRequested, this,
          [this](const QModelIndex& i) { TreeView1->scrollTo(i); });
  connect(FModel, &TTreeModel::Restored, this, [this] { SyncViewFromModel(); });
  connect(TreeView1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu1->popup(TreeView1->viewport()->mapToGlobal(p)); });
}

// After a reset the view knows nothing: expand what the outline has expanded (only below
// expanded nodes, so the cost is what the view lays out anyway) and select its selection.
void TFormMain::Sync(const std::function<void()>& change) {
  if (FSyncingView) return;
  FSyncingView = true;
  change();
  FSyncingView = false;
}

void TFormMain::SyncViewFromModel() {
  FSyncingView = true;
  std::vector<TTreeNode*> stack;
  for (TTreeNode* r = FTree.GetFirstNode(); r != nullptr; r = r->getNextSibling())
    stack.push_back(r);
  while (!stack.empty()) {
    TTreeNode* n = stack.back();
    stack.pop_back();
    if (!n->Expanded() || n->Count() == 0) continue;
    TreeView1->setExpanded(FModel->IndexOf(n), true);
    for (TTreeNode* c = n->GetFirstChild(); c != nullptr; c = c->getNextSibling())
      stack.push_back(c);
  }
  const QModelIndex current = FModel->IndexOf(FTree.Selected());
  TreeView1->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
  if (current.isValid()) TreeView1->scrollTo(current);
  FSyncingView = false;
}

QString TFormMain::PanelText(int panel) const {
  return StatusPanels[panel]->text();
}

void TFormMain::SetPanel(int panel, const QString& text) {
  if (StatusPanels[panel]->text() != text) StatusPanels[panel]->setText(text);
}

void TFormMain::FormCreate() {
  AppTitle = windowTitle().toStdString();
  // The application name, not its display name: Qt would append a display name to every
  // window caption.
  QCoreApplication::setApplicationName(windowTitle());
  // The desktop entry's name ties the window to the entry's icon on the task bar.
  QGuiApplication::setDesktopFileName(kDesktopEntry);
  setWindowIcon(AppIcon());
  ResetDocument();
}

void TFormMain::FormShow() {
  // TreeView1 and PnlTree fill their parents through the layouts.
  FormStorage1->SetIniFileName(SettingsFileName);
  FormStorage1->SetIniSection(RemoveLastWord(AppTitle) + " Window");
  FormStorage1->RestoreSettings();
  // The check mark shows the restored tooltip switch, so that its first click turns it off.
  Command(TCommandId::ViewTooltips)->Action()->setChecked(FTree.ToolTips());
  ZelReopen1.LoadFromIni(SettingsFileName, RemoveLastWord(AppTitle) + " Recent");
  ZelReopen1.SaveOnChange(SettingsFileName, RemoveLastWord(AppTitle) + " Recent");
  KeepFormOnScreen(*this);
  Command(TCommandId::FileNew)->Execute();
}

void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FShown) return;
  FShown = true;
  Guarded([this] { FormShow(); });
  if (!FStartFile.empty() || FRecovery->Enabled() || !FRecoveryOff.isEmpty())
    QTimer::singleShot(0, this, [this] { OpenStartFile(); });
}

void TFormMain::OpenStartFile() {
  if (!FRecoveryOff.isEmpty())
    FDialogs->MessageBox(this, FRecoveryOff, "Warning", MB_OK | MB_ICONEXCLAMATION);
  FRecoveryOff.clear();
  bool recovered = false;
  Guarded([&] { recovered = OfferRecovery(); });
  const std::string name = std::move(FStartFile);
  FStartFile.clear();
  if (name.empty()) return;
  // The recovered document stays; the file waits on the recent list.
  if (recovered)
    ZelReopen1.AddFile(name);
  else
    Guarded([&] { ZelReopen1ReopenMenuClick(name); });
}

void TFormMain::FormCloseQuery(bool& canClose) {
  if (ZelXMLTree1.IsBusy()) {
    // Cancel asks; this request is refused, and a new one comes once the process has stopped,
    // only if the answer stopped it: No keeps the window and the process going.
    canClose = false;
    Command(TCommandId::FileCancel)->Execute();
    FCloseWhenStopped = FCloseWhenStopped || ZelXMLTree1.Cancelled();
    return;
  }
  Command(TCommandId::FileNew)->Execute();
  canClose = !Modified();
}

void TFormMain::FormClose() {
  FormStorage1->SaveSettings();
  ZelReopen1.SaveToIni(SettingsFileName, RemoveLastWord(AppTitle) + " Recent");
}

void TFormMain::closeEvent(QCloseEvent* event) {
  // The document that New puts on the recent list, the placement, the stored properties and
  // the list: one write, which a second editor closing at the same time never mixes with.
  TIniBatch settings(SettingsFileName);
  bool canClose = true;
  if (!Guarded([&] { FormCloseQuery(canClose); }) || !canClose) {
    CommitSettings(settings, *FDialogs, this);
    event->ignore();
    return;
  }
  // Settings that cannot be written are reported, but they never keep the editor open: the
  // document is already safe, and the user could otherwise never quit.
  if (Guarded([&] { FormClose(); })) CommitSettings(settings, *FDialogs, this);
  event->accept();
}

bool TFormMain::event(QEvent* event) {
  // The long part of the hint under the pointer goes to the last panel, not over the panels.
  if (event->type() == QEvent::StatusTip) {
    SetPanel(2, static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

void TFormMain::ResetDocument() {
  FSession.Reset();
}

bool TFormMain::QuerySaveChanges() {
  return FSession.QuerySaveChanges();
}

void TFormMain::CreateFormStorage() {
  // The session saves the way the stored switch says, from the settings on.
  connect(Command(TCommandId::FileKeepLayout)->Action(), &QAction::toggled, this,
          [this](bool on) { Guarded([&] { FSession.SetKeepLayout(on); }); });
  FormStorage1 = std::make_unique<TQtFormStorage>(
      *this, TStoredParts{TreeView1, [this] { return FTree.ToolTips(); },
                          [this](bool on) { FTree.SetToolTips(on); }, FindDialog1,
                          [this] { return FindDialog1->FindText(); },
                          [this](const QString& t) { FindDialog1->SetFindText(t); },
                          Command(TCommandId::EditUseDialog)->Action(),
                          Command(TCommandId::FileKeepLayout)->Action()});
}

}  // namespace zel
