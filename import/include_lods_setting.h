// The plug-in's one setting: whether level-of-detail mesh files are loaded. The
// settings dialog writes it on every click of its "Include lods" box and shows it when
// it opens; the import driver reads it once the dialog has ended. It lives while the
// library is loaded and starts false.
#pragma once

extern bool includeLodsSetting;
