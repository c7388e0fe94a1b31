// SPDX-License-Identifier: GPL-3.0-or-later
// Runs inside the game's program before it starts. The page is laid out as an installed game:
// the program "in" /usr/games, the edition's archive in /usr/share/grumboldx/EDITION (packed by
// scripts/web.sh), and the player's files (highscores.txt, lastgame.rec) under
// ~/.local/share/grumboldx, a folder the browser keeps in IndexedDB across visits. The folder is
// read back before the game starts, and written to IndexedDB as soon as a file in it is closed
// after writing, renamed or removed, and once more when the page is left.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  // A page opened with "?stats" logs the frame statistics (GRUMBOLDX_STATS) into debug.txt.
  if (/[?&]stats(&|=|$)/.test(location.search)) ENV.GRUMBOLDX_STATS = '1';
  var folder = '/home/web_user/.local/share';
  FS.mkdirTree(folder);
  FS.mount(IDBFS, {}, folder);
  // A save waits a tenth of a second, so a file written and renamed in one go is saved once; a
  // save that fails (a file went while it was read) is tried again.
  var saving = false, again = false, waiting = 0, failures = 0;
  Module.grumboldxSaves = 0;
  var sync = function () {
    waiting = 0;
    if (saving) { again = true; return; }
    saving = true;
    FS.syncfs(false, function (error) {
      saving = false;
      if (error) {
        if (++failures <= 5) again = true;
        else console.warn('The player\'s files could not be kept: ' + error);
      } else {
        failures = 0;
        Module.grumboldxSaves++;
      }
      if (again) { again = false; save(); }
    });
  };
  var save = function () { if (!waiting) waiting = setTimeout(sync, 100); };
  var inside = function (path) { return typeof path === 'string' && path.indexOf(folder + '/') === 0; };
  var close = FS.close;
  FS.close = function (stream) {
    var written = inside(stream.path) && (stream.flags & 3) !== 0;  // opened to write
    var result = close.apply(FS, arguments);
    if (written) save();
    return result;
  };
  var rename = FS.rename;
  FS.rename = function (from, to) {
    var result = rename.apply(FS, arguments);
    if (inside(from) || inside(to)) save();
    return result;
  };
  var unlink = FS.unlink;
  FS.unlink = function (path) {
    var result = unlink.apply(FS, arguments);
    if (inside(path)) save();
    return result;
  };
  addEventListener('pagehide', sync);
  // A file of the game's as bytes (null when it is not there): the page can hand the player's
  // files and the log (~/.local/state/grumboldx/debug.txt) out.
  Module.grumboldxFile = function (path) {
    try { return FS.readFile(path); } catch (error) { return null; }
  };
  addRunDependency('player-files');
  FS.syncfs(true, function (error) {
    if (error) console.warn('The player\'s files could not be read back: ' + error);
    removeRunDependency('player-files');
  });
});
