// Opening the settings sheet to its first painted page, and the program dialog listing a
// folder of 2,000 entries with their icons, each beside a bare Qt dialog with the same
// controls holding the same rows. Only the time to the first painted picture counts.
#include "CTovaloApp.h"
#include "SettingTemplates.h"

#include <filedialog/CPXFileDialogBase.h>
#include <platform/CPropertySheet.h>
#include <platform/Device.h>
#include <quintar/CPXFileDialog.h>

#include <testsupport/DeviceFolder.h>
#include <testsupport/DialogDriver.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kEntries = 2000;

// A device folder with a launcher of 10 groups and 30 programs, and a folder of 2,000
// entries of a few kinds: folders, programs, executables without a name ending and notes.
struct Device {
    fs::path folder = fs::temp_directory_path() / ("tovalo-bench-" + std::to_string(getpid()));
    fs::path big = folder / "big";
    std::u16string bigFolder;
    std::u16string bigPattern;
    std::unique_ptr<CTovaloApp> app;

    Device() {
        fs::create_directories(folder / "Windows" / "Start Menu" / "Programs");
        fs::create_directories(folder / "Windows" / "Favorites");
        setenv("TOVALO_DEVICE", folder.c_str(), 1);
        fs::create_directories(big);
        for (int i = 0; i < kEntries; ++i) {
            const std::string name = "entry" + std::to_string(i);
            switch (i % 10) {
            case 0:
                fs::create_directories(big / name);
                break;
            case 1:
            case 2:
                testsupport::WriteFile(big / (name + ".exe"), "x");
                break;
            case 3:
                testsupport::WriteFile(big / name, "#!/bin/sh\n");
                fs::permissions(big / name, fs::perms::owner_exec, fs::perm_options::add);
                break;
            default:
                testsupport::WriteFile(big / (name + ".txt"), std::string(i, 'x'));
            }
        }
        bigFolder = *platform::DevicePath(big);
        bigPattern = bigFolder + u"\\*.*";
        {
            CGetExeIconInfo programs;
            programs.InitReg();
            CGetGroupIconInfo groups;
            groups.InitReg();
            for (int g = 1; g < 10; ++g)
                groups.InsertGroups(FormatString(u"Group %d", g).c_str());
            for (int p = 0; p < 30; ++p)
                programs.InsertExe(FormatString(u"\\Windows\\p%d.exe", p).c_str(),
                                   FormatString(u"Program %d", p).c_str());
        }
        app = std::make_unique<CTovaloApp>();
        app->InitInstance();
    }
    ~Device() {
        app->GetFrame()->SendMessage(WM_COMMAND, ID_APP_EXIT, 0);
        app->ExitInstance();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

// Made by main() and gone before the program's exit takes the platform down.
Device* g_device = nullptr;

Device& TheDevice() {
    return *g_device;
}

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void SettingSheet(benchmark::State& state) {
    Device& device = TheDevice();
    for (auto _ : state) {
        double seconds = 0;
        const auto start = Clock::now();
        platform::SetModalHook([&](CWnd* window) {
            benchmark::DoNotOptimize(testsupport::DialogDriver(window).Picture());
            seconds = Since(start);
            return IDCANCEL;
        });
        device.app->GetView()->RunSettingSheet();
        state.SetIterationTime(seconds);
    }
    platform::SetModalHook(nullptr);
}

// The page's controls as plain widgets at the template's places, filled as the page is.
void BarePage(QWidget* page, const platform::DialogTemplate& dialog) {
    for (const platform::DialogItem& item : dialog.items) {
        const RECT r = platform::DialogUnitsToPixels(dialog, item.rect);
        QWidget* widget = nullptr;
        const QString text = QString::fromUtf16(item.text);
        switch (item.kind) {
        case platform::ControlKind::GroupBox:
            widget = new QGroupBox(text, page);
            break;
        case platform::ControlKind::Edit:
            widget = new QLineEdit(page);
            break;
        case platform::ControlKind::PushButton:
            widget = new QPushButton(text, page);
            break;
        case platform::ControlKind::CheckBox:
            widget = new QCheckBox(text, page);
            break;
        case platform::ControlKind::ListBox: {
            auto* list = new QListWidget(page);
            for (int i = 0; i < (item.id == IDC_EXELIST ? 30 : 10); ++i)
                list->addItem(QStringLiteral("Program %1").arg(i));
            widget = list;
            break;
        }
        case platform::ControlKind::ComboBox: {
            auto* combo = new QComboBox(page);
            for (int i = 0; i < 10; ++i)
                combo->addItem(QStringLiteral("Group %1").arg(i));
            widget = combo;
            break;
        }
        default:
            widget = new QLabel(text, page);
        }
        widget->setGeometry(r.left, r.top, r.right - r.left, std::min<LONG>(r.bottom - r.top, 17));
    }
}

void BareSheet(benchmark::State& state) {
    TheDevice();
    for (auto _ : state) {
        const auto start = Clock::now();
        QDialog sheet;
        sheet.setFixedSize(240, 294);
        auto* layout = new QVBoxLayout(&sheet);
        auto* tabs = new QTabBar(&sheet);
        tabs->addTab(QStringLiteral("Group,ExeIcon"));
        tabs->addTab(QStringLiteral("Skin, QuickStartUp, HotKey"));
        layout->addWidget(tabs);
        auto* stack = new QStackedWidget(&sheet);
        auto* page = new QWidget;
        BarePage(page, Setting1Template());
        stack->addWidget(page);
        layout->addWidget(stack, 1);
        auto* ok = new QPushButton(QStringLiteral("OK"), &sheet);
        layout->addWidget(ok);
        sheet.show();
        benchmark::DoNotOptimize(sheet.grab().toImage());
        state.SetIterationTime(Since(start));
    }
}

void ProgramDialog(benchmark::State& state) {
    Device& device = TheDevice();
    CPXFileDialog dialog;
    platform::SetModalHook([&](CWnd* window) {
        // As a double tap on the folder leaves it.
        dialog.m_strFolder = device.bigFolder.c_str();
        for (auto _ : state) {
            const auto start = Clock::now();
            dialog.UpdateList(device.bigPattern.c_str(), 1001);
            benchmark::DoNotOptimize(testsupport::DialogDriver(window).Picture());
            state.SetIterationTime(Since(start));
        }
        return IDCANCEL;
    });
    dialog.DoModal();
    platform::SetModalHook(nullptr);
    state.counters["rows"] = kEntries + 1;
}

void BareDialog(benchmark::State& state) {
    Device& device = TheDevice();
    QDialog dialog;
    dialog.resize(207, 230);
    auto* tree = new QTreeWidget(&dialog);
    tree->setGeometry(0, 59, 204, 144);
    tree->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")});
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    auto* combo = new QComboBox(&dialog);
    combo->setGeometry(51, 41, 153, 17);
    combo->addItems({QStringLiteral("All files (*.*)"), QStringLiteral("exe files (*.exe)")});
    (new QLineEdit(&dialog))->setGeometry(51, 23, 102, 17);
    (new QPushButton(QStringLiteral("Cancel"), &dialog))->setGeometry(156, 23, 48, 17);
    dialog.show();
    // The best a bare dialog can do with icons: one per kind, made once.
    const QIcon folder = dialog.style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon file = dialog.style()->standardIcon(QStyle::SP_FileIcon);
    const QString path = QString::fromStdString(device.big.string());
    for (auto _ : state) {
        const auto start = Clock::now();
        tree->clear();
        tree->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("..")}));
        for (const QFileInfo& info :
             QDir(path).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            auto* item = new QTreeWidgetItem(
                {info.fileName(),
                 info.isDir() ? QStringLiteral("Folder") : QString::number(info.size()),
                 info.lastModified().toString(QStringLiteral("M/d/yyyy"))});
            item->setIcon(0, info.isDir() ? folder : file);
            tree->insertTopLevelItem(1, item);
        }
        benchmark::DoNotOptimize(dialog.grab().toImage());
        state.SetIterationTime(Since(start));
    }
}

BENCHMARK(SettingSheet)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BareSheet)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ProgramDialog)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BareDialog)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    {
        Device device;
        g_device = &device;
        benchmark::RunSpecifiedBenchmarks();
        g_device = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}
