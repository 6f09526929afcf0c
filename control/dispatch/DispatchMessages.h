// Private messages of the background task dispatcher and its worker, and the
// replies the worker sends to the windows that asked.
#pragma once

#include "platform/window/WindowTypes.h"

// To the worker window: make a thumbnail (wParam list window, lParam CImageItem*).
constexpr UINT WM_WORK_MAKE_THUMBNAIL = 0x8002;
// To the list window: thumbnail made / failed (wParam 0, lParam CImageItem*).
constexpr UINT WM_WORK_THUMBNAIL_MADE = 0x8003;
constexpr UINT WM_WORK_THUMBNAIL_FAILED = 0x8004;
// To the worker window: upload a picture (wParam progress window, lParam CUploadJob*).
constexpr UINT WM_WORK_UPLOAD_JOB = 0x8005;
// To the progress window: job done / failed (wParam 0, lParam CUploadJob*); progress (sent).
constexpr UINT WM_WORK_UPLOAD_DONE = 0x8006;
constexpr UINT WM_WORK_UPLOAD_FAILED = 0x8007;
constexpr UINT WM_WORK_UPLOAD_PROGRESS = 0x8008;

// To the dispatcher window: thumbnail queue push (wParam list window, lParam
// CImageItem* with a reference for the job), pull, clear.
constexpr UINT WM_TASK_THUMBNAIL_PUSH = 0x8100;
constexpr UINT WM_TASK_THUMBNAIL_PULL = 0x8101;
constexpr UINT WM_TASK_THUMBNAIL_CLEAR = 0x8102;
// To the dispatcher window: upload queue push (wParam progress window, lParam
// CUploadJob* whose reference passes to the queue), pull, cancel (sent).
constexpr UINT WM_TASK_UPLOAD_PUSH = 0x8103;
constexpr UINT WM_TASK_UPLOAD_PULL = 0x8104;
constexpr UINT WM_TASK_UPLOAD_CANCEL = 0x8105;

// To the worker window: the dispatcher window introduces itself (sent; lParam
// the CTaskWndInvisible). To both windows: stop (sent). Update check (posted).
constexpr UINT WM_TASK_INTRODUCE = 0x8200;
constexpr UINT WM_TASK_STOP = 0x8201;
constexpr UINT WM_TASK_UPDATE_CHECK = 0x8202;
