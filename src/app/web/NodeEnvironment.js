// Under node the player sees the environment it was started in (HOME, TMPDIR, XDG_* ...), as
// the desktop player does, instead of the made-up one the runtime gives a program by default:
// the player's own files, the temporary folder and the user's folders are then the same ones.
Module['preRun'] = [function() {
  if (typeof process === 'object' && process.env)
    Object.assign(ENV, process.env);
}].concat(Module['preRun'] || []);
