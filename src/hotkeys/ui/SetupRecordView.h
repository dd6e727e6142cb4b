#pragma once

namespace vantel {

class RecordView;
class RecordViewDelegate;

// How every owner of a recorder dresses it (popovers, settings panes, the
// configuration lists): the clear button only once a combination is set, a
// light frame on the text background, the accent tint, and `delegate` as the
// one that allows, checks and receives recordings.
void setupRecordView(RecordView& recorder, RecordViewDelegate* delegate);

} // namespace vantel
