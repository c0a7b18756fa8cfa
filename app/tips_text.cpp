#include "app/tips_text.h"

const char* const kTipsText =
    "！！！交易日志在程序根目录dlllog(Quenla)文件夹下，@研发时请把问题跟日志一起发出来  "
    "(╯°Д°)！！！";
