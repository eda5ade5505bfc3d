#include "ui/win32/taskbar_progress_win32.h"

namespace hw {

TaskbarProgress::~TaskbarProgress() {
  if (list_) list_->Release();
}

bool TaskbarProgress::Ready() {
  if (!tried_) {
    tried_ = true;
    void* list = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &list))) {
      list_ = static_cast<ITaskbarList3*>(list);
      if (FAILED(list_->HrInit())) {
        list_->Release();
        list_ = nullptr;
      }
    }
  }
  return list_ != nullptr;
}

void TaskbarProgress::Show(HWND window, int percent) {
  if (!Ready()) return;
  list_->SetProgressState(window, TBPF_NORMAL);
  list_->SetProgressValue(window, static_cast<ULONGLONG>(percent), 100);
}

void TaskbarProgress::Clear(HWND window) {
  if (list_) list_->SetProgressState(window, TBPF_NOPROGRESS);
}

}  // namespace hw
