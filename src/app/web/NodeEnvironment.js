// Under node the player sees the environment it was started in (HOME, TMPDIR, XDG_* ...), as
// the desktop player does, instead of the made-up one the runtime gives a program by default:
// the player's own files, the temporary folder and the user's folders are then the same ones.
Module['preRun'] = [function() {
  if (typeof process === 'object' && process.env)
    Object.assign(ENV, process.env);
}].concat(Module['preRun'] || []);

// A fault of the player itself (a trap of the WebAssembly code, an exception nothing caught)
// ends the run as the player's own fault does on the desktop: a line on standard error, the
// "fault" and "exit" JSON lines, exit status 5; never the runtime's stack dump.
(function() {
  var kExitFault = 5;
  function fault(what) {
    var fs = require('fs');
    var text = String(what && what.stack ? what.stack.split('\n')[0] : what);
    try {
      fs.writeSync(2, 'qlmplayer: internal fault: ' + text + '\n');
      fs.writeSync(1, JSON.stringify({event: 'fault', what: text}) + '\n' +
                          JSON.stringify({event: 'exit', code: kExitFault}) + '\n');
    } catch (e) {
    }
    process.exit(kExitFault);
  }
  Module['quit'] = function(status, thrown) {
    if (thrown && thrown.name !== 'ExitStatus')
      fault(thrown);
    process.exit(status);
  };
  process.on('uncaughtException', function(thrown) {
    if (!thrown || thrown.name !== 'ExitStatus')
      fault(thrown);
  });
})();
