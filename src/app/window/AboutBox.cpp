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
    QMenu* help = form.menuBar()->addMenu(QStringLiteral("帮助&H"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    QAction* about = help->addAction(QStringLiteral("关于 KORVEX &A"));
    about->setObjectName(QStringLiteral("About"));
    // The files the window started with and uses until it closes; their state (a limits file
    // written since, or damaged) is looked at again when the box opens.
    about->setStatusTip(QStringLiteral("版本与文件位置"));
    QObject::connect(about, &QAction::triggered, &form, [&form, &runner, where] {
        QMessageBox box(QMessageBox::Information, QStringLiteral("关于 KORVEX"),
                        QStringLiteral("KORVEX 电子镇流器综合性能测试仪 %1\n%2")
                            .arg(QStringLiteral(KORVEX_VERSION),
                                 where.portable ? QStringLiteral("便携版：全部文件保存在程序文件夹中")
                                                : QStringLiteral("安装版：设置与测试结果保存在用户文件夹中")),
                        QMessageBox::Ok, &form);
        box.setObjectName(QStringLiteral("AboutBox"));
        // One line per file, as korvex-cli paths prints it: paths are not broken across lines.
        box.setInformativeText(QStringLiteral("<pre>%1</pre>").arg(describeLocations(where).toHtmlEscaped()));
        runner.exec(box);
    });
}

} // namespace korvex
