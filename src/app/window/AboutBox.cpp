// The help menu and its about box.
#include "app/window/AboutBox.h"

#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMessageBox>

#include "app/dialogs/DialogRunner.h"
#include "app/window/KorvexForm.h"

namespace korvex {

void addHelpMenu(TKORVEXForm& form, DialogRunner& runner, const Locations& where)
{
    QMenu* help = form.menuBar()->addMenu(QString());
    help->setObjectName(QStringLiteral("HelpMenu"));
    QAction* about = help->addAction(QString());
    about->setObjectName(QStringLiteral("About"));
    // A menu the window adds to those of the operator's manual: named in the pages' language,
    // switching with it.
    const auto name = [help, about](bool chinese) {
        help->setTitle(chinese ? QStringLiteral("帮助&H") : QStringLiteral("Help&H"));
        about->setText(chinese ? QStringLiteral("关于 KORVEX &A") : QStringLiteral("About KORVEX &A"));
        about->setStatusTip(chinese ? QStringLiteral("版本与文件位置")
                                    : QStringLiteral("version and where the files are"));
    };
    name(form.record().chinese != 0);
    QObject::connect(&form, &TKORVEXForm::languageChanged, help, name);
    // The files the window started with and uses until it closes; their state (a limits file
    // written since, or damaged) is looked at again when the box opens.
    QObject::connect(about, &QAction::triggered, &form, [&form, &runner, where] {
        const bool chinese = form.record().chinese != 0;
        const QString mode =
            chinese
                ? (where.portable ? QStringLiteral("便携版：全部文件保存在程序文件夹中")
                                  : QStringLiteral("安装版：设置与测试结果保存在用户文件夹中"))
                : (where.portable ? QStringLiteral("Portable copy: every file is kept in the program's folder")
                                  : QStringLiteral("Installed: settings and results are kept in the user's folders"));
        QMessageBox box(QMessageBox::Information,
                        chinese ? QStringLiteral("关于 KORVEX") : QStringLiteral("About KORVEX"),
                        (chinese ? QStringLiteral("KORVEX 电子镇流器综合性能测试仪 %1\n%2")
                                 : QStringLiteral("KORVEX Ballast Tester %1\n%2"))
                            .arg(QStringLiteral(KORVEX_VERSION), mode),
                        QMessageBox::Ok, &form);
        box.setObjectName(QStringLiteral("AboutBox"));
        // One line per file, as korvex-cli paths prints it: paths are not broken across lines.
        box.setInformativeText(QStringLiteral("<pre>%1</pre>").arg(describeLocations(where, chinese).toHtmlEscaped()));
        runner.exec(box);
    });
}

} // namespace korvex
