#pragma once

namespace vantel {

class HotKeyCenter;
class RecordView;
class RecordViewDelegate;

// How every owner of a recorder dresses it (popovers, settings panes, the
// configuration lists): the clear button only once a combination is set, a
// light frame on the text background, the accent tint, `delegate` as the
// one that allows, checks and receives recordings, and `center` as the
// registry whose keys are let go while it records.
void setupRecordView(RecordView& recorder, RecordViewDelegate* delegate, HotKeyCenter* center);

} // namespace vantel
