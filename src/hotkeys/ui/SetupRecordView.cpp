#include "hotkeys/ui/SetupRecordView.h"

#include "hotkeys/ui/RecordView.h"

#include <QPalette>

namespace vantel {

void setupRecordView(RecordView& recorder, RecordViewDelegate* delegate, HotKeyCenter* center)
{
    const QPalette palette = recorder.palette();
    recorder.setClearButtonMode(RecordView::ClearButtonMode::whenRecorded);
    recorder.setBackgroundColor(palette.color(QPalette::Base));
    recorder.setBorderColor(QColor(170, 170, 170));
    recorder.setBorderWidth(1.0);
    recorder.setCornerRadius(4.0);
    recorder.setDelegate(delegate);
    recorder.setHotKeyCenter(center);
    recorder.setTintColor(palette.color(QPalette::Highlight));
    recorder.update();
}

} // namespace vantel
