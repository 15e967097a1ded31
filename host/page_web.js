// page_web.js: the page around the WebAssembly core. It reads the settings (the URL's query,
// then whatever a wallpaper host sends), draws the text with the browser's fonts into the
// raster the core's band rules squeeze, and puts the field-sized image the core hands back
// on a canvas the browser scales. It draws nothing while the page is hidden or its host
// has paused it. window.vapryx.raster is the last text raster handed to the core.

var vapryx = (window.vapryx = { frames: 0, seed: 0, ready: false, paused: false });

(function () {
  'use strict';
  var canvas = document.getElementById('field');
  var context = canvas.getContext('2d', { alpha: false });
  var fpsBox = document.getElementById('fps');
  var image = 0;       // the field-sized RGBA image in the module's memory
  var width = 0, height = 0;
  var frameRequest = 0;
  var lastFrame = -Infinity;
  var hostFrameLimit = 0;  // frames a second a host allows, 0 for none
  var pending = [];        // settings that came before the module was ready
  var applying = false;
  var counted = { frames: 0, since: 0 };

  function warn(text) { console.warn('vapryx: ' + text); }

  // One setting by its option name; a bad one keeps what the setting had, with a warning.
  // The value reaches the core as a C string: a NUL in it would cut it, so a blank stands
  // in, as the canvas draws a tab or a line break.
  function setOption(name, value) {
    if (!vapryx.ready) { pending.push([name, value]); return; }
    var before = _vapryx_color();
    var taken = ccall('vapryx_option', 'number', ['string', 'string'],
                      [name, String(value).replace(/\0/g, ' ')]);
    if (taken < 0) warn(UTF8ToString(_vapryx_message()));
    if (taken === 0) warn("no setting named '" + name + "'");
    if (taken > 0 && name === 'color') resolveColorName(before);
    scheduleApply();
  }

  // A colour given by name: the browser knows the CSS names. An unknown one keeps the
  // colour there was (`before`, red in the low byte).
  function resolveColorName(before) {
    var name = UTF8ToString(_vapryx_color_name());
    if (!name) return;
    var probe = document.createElement('canvas').getContext('2d');
    probe.fillStyle = '#010203';
    probe.fillStyle = name;
    var css = probe.fillStyle;
    if (css === '#010203' || css.charAt(0) !== '#') {
      warn("unknown colour '" + name + "'");
      var rgb = [before & 255, (before >> 8) & 255, (before >> 16) & 255].join(',');
      ccall('vapryx_option', 'number', ['string', 'string'], ['color', rgb]);
      return;
    }
    ccall('vapryx_option', 'number', ['string', 'string'], ['color', css.slice(1)]);
  }

  function scheduleApply() {
    if (applying) return;
    applying = true;
    setTimeout(function () {
      applying = false;
      var what = _vapryx_apply();
      fpsBox.hidden = !_vapryx_show_fps();
      if (what === 2) prepare();
      if (what === 1 && !frameRequest) {  // a paused page shows its new colour too
        _vapryx_ramp();
        show();
      }
    }, 0);
  }

  var generic = ['serif', 'sans-serif', 'monospace', 'cursive', 'fantasy', 'system-ui'];

  function cssFamily(font) {
    if (generic.indexOf(font.toLowerCase()) >= 0) return font.toLowerCase();
    return '"' + font.replace(/["\\]/g, '\\$&') + '"';
  }

  // Whether the browser has the family: text in it measures otherwise than in the
  // fallbacks it would stand in for.
  function installed(font, probe) {
    var family = cssFamily(font);
    if (family.charAt(0) !== '"') return true;
    var sample = 'mmmmmmmmmmlli10WQ@#';
    var differs = false;
    ['monospace', 'serif', 'sans-serif'].forEach(function (fallback) {
      probe.font = '72px ' + fallback;
      var plain = probe.measureText(sample).width;
      probe.font = '72px ' + family + ', ' + fallback;
      if (probe.measureText(sample).width !== plain) differs = true;
    });
    return differs;
  }

  // A metric where the browser has it; browsers before Firefox 116 lack the face's box.
  function metric(value, fallback) { return Number.isFinite(value) ? value : fallback; }

  // Whether the text's first letter (or direction mark) is of a script written right to
  // left: the direction of the line, as the Linux program takes it.
  function rightToLeft(text) {
    var first = text.match(/[\p{L}\u200E\u200F\u061C]/u);
    return !!first && /[\u200F\u061C\p{Script=Hebrew}\p{Script=Arabic}\p{Script=Syriac}\p{Script=Thaana}\p{Script=Nko}\p{Script=Samaritan}\p{Script=Mandaic}\p{Script=Adlam}\p{Script=Hanifi_Rohingya}\p{Script=Mende_Kikakui}]/u.test(first[0]);
  }

  // The text at an em height of 140 pixels, as one line in its natural direction, measured
  // as the other front ends measure (its advance plus 50 blank columns either side, the
  // face's ascent plus descent high, grown where the ink reaches further: no glyph is cut),
  // its coverage thresholded to ink, into the module's memory. Coverage is the alpha drawn
  // on a clear canvas, which a colour glyph (an emoji) has whatever its colours.
  function rasterText(text, font) {
    var c = document.createElement('canvas');
    var g = c.getContext('2d', { willReadFrequently: true });
    var css = installed(font, g) ? '140px ' + cssFamily(font) : '900 140px sans-serif';
    var direction = rightToLeft(text) ? 'rtl' : 'ltr';
    var setUp = function () {
      g.font = css;
      g.direction = direction;
      g.textAlign = 'left';
      g.textBaseline = 'alphabetic';
    };
    setUp();
    var m = g.measureText(text);
    var left = Math.max(0, Math.ceil(metric(m.actualBoundingBoxLeft, 0)));
    var right = Math.max(Math.round(m.width), Math.ceil(metric(m.actualBoundingBoxRight, 0)));
    var ascent = Math.ceil(Math.max(metric(m.fontBoundingBoxAscent, 0), metric(m.actualBoundingBoxAscent, 0)));
    var descent = Math.ceil(Math.max(metric(m.fontBoundingBoxDescent, 0), metric(m.actualBoundingBoxDescent, 0)));
    var cx = Math.min(left + right, 30000) + 100, cy = ascent + descent;
    if (!(cx > 0 && cy > 0)) return { ink: 0, cx: 0, cy: 0, font: css, bytes: new Uint8Array(0) };
    c.width = cx;
    c.height = cy;
    setUp();  // a canvas resized forgets its state
    g.fillStyle = '#fff';
    g.fillText(text, 50 + left, ascent);
    var rgba = g.getImageData(0, 0, cx, cy).data;
    var ink = _vapryx_ink(cx, cy);
    var bytes = HEAPU8.subarray(ink, ink + cx * cy);  // after the call: memory may have grown
    for (var i = 0, n = cx * cy; i < n; ++i) bytes[i] = rgba[i * 4 + 3] >= 128 ? 255 : 0;
    return { ink: ink, cx: cx, cy: cy, font: css, bytes: bytes.slice() };
  }

  // One line, as the Linux program says it, control characters written as \xNN.
  function sayNoOutline(text) {
    warn('the text "' + text.replace(/[\x00-\x1f\x7f]/g, function (c) {
      return '\\x' + (c.charCodeAt(0) < 16 ? '0' : '') + c.charCodeAt(0).toString(16);
    }) + '" has no outline: nothing to draw the smoke from');
  }

  // The smoke prepared again from the settings as they stand. A paused page shows its
  // first step, the new text's outline, rather than the cleared field.
  function prepare() {
    var text = UTF8ToString(_vapryx_text());
    var raster = rasterText(text, UTF8ToString(_vapryx_font()));
    vapryx.font = raster.font;
    vapryx.raster = { cx: raster.cx, cy: raster.cy, ink: raster.bytes };
    image = _vapryx_open(raster.ink, raster.cx, raster.cy, vapryx.seed);
    if (!image) {
      console.error('vapryx: no memory for the smoke');
      return;
    }
    if (!_vapryx_outline()) sayNoOutline(text);
    width = _vapryx_field_width();
    height = _vapryx_field_height();
    canvas.width = width;
    canvas.height = height;
    fpsBox.hidden = !_vapryx_show_fps();
    layout();
    if (!running()) {
      _vapryx_step();
      _vapryx_ramp();
    }
    show();
    resume();
  }

  // The field on the page as on every display: the text band always in view.
  function layout() {
    if (!image) return;
    var fit = _vapryx_fit(Math.max(1, window.innerWidth), Math.max(1, window.innerHeight));
    if (!fit) return;
    var at = fit >> 2;
    canvas.style.left = HEAP32[at] + 'px';
    canvas.style.top = HEAP32[at + 1] + 'px';
    canvas.style.width = HEAP32[at + 2] + 'px';
    canvas.style.height = HEAP32[at + 3] + 'px';
  }

  // The image as it stands, without a step.
  function show() {
    if (!image) return;
    var pixels = new Uint8ClampedArray(HEAPU8.buffer, image, width * height * 4);
    context.putImageData(new ImageData(pixels, width, height), 0, 0);
  }

  function interval() {
    var delay = _vapryx_delay() / 1000;
    return hostFrameLimit > 0 ? Math.max(delay, 1000 / hostFrameLimit) : delay;
  }

  function tick(now) {
    frameRequest = 0;
    if (!running() || !image) return;
    frameRequest = requestAnimationFrame(tick);
    // Half a millisecond early still counts: frames come on the display's beat. The next is
    // due an interval after this one was, not after it came, so the rate is not rounded
    // down to the beat; after a pause it starts afresh.
    var due = interval();
    if (now - lastFrame < due - 0.5) return;
    lastFrame = Math.max(lastFrame + due, now - due);
    image = _vapryx_frame();
    show();
    ++vapryx.frames;
    if (!fpsBox.hidden) {
      ++counted.frames;
      if (now - counted.since >= 1000) {
        fpsBox.textContent = (counted.frames * 1000 / (now - counted.since)).toFixed(1) + ' fps';
        counted.frames = 0;
        counted.since = now;
      }
    }
  }

  function running() { return !vapryx.paused && !document.hidden; }

  function resume() {
    if (!frameRequest && running() && image) frameRequest = requestAnimationFrame(tick);
  }

  function pause(paused) {
    vapryx.paused = !!paused;
    if (vapryx.paused && frameRequest) {
      cancelAnimationFrame(frameRequest);
      frameRequest = 0;
    }
    resume();
  }

  document.addEventListener('visibilitychange', function () { pause(vapryx.paused); });
  window.addEventListener('resize', layout);

  // Frame rate in frames a second as the delay between them.
  function frameRate(value) {
    var fps = Number(value);
    if (!(fps > 0)) return warn("bad frame rate '" + value + "'");
    setOption('delay', String(Math.round(1000000 / Math.min(fps, 1000))));
  }

  // Lively Wallpaper: one call per control at load, and on each change.
  window.livelyPropertyListener = function (name, value) {
    if (name === 'resolution') setOption(name, Number(value) === 1 ? '800x600' : '640x480');
    else if (name === 'framerate') frameRate(value);
    else setOption(name, String(value));
  };
  window.livelyWallpaperPlaybackChanged = function (data) {
    var state = typeof data === 'string' ? JSON.parse(data) : data;
    pause(state && state.IsPaused);
  };

  // Wallpaper Engine: only the properties that changed, colours as three 0..1 numbers. It
  // adds its own `schemecolor`, which is none of ours and no mistake of the user's.
  window.wallpaperPropertyListener = {
    applyUserProperties: function (properties) {
      Object.keys(properties).forEach(function (name) {
        var value = properties[name].value;
        if (name === 'schemecolor') return;
        if (name === 'color') {
          var rgb = String(value).trim().split(/\s+/).map(function (part) {
            return Math.max(0, Math.min(255, Math.round(Number(part) * 255)));
          });
          if (rgb.length !== 3 || rgb.some(isNaN)) return warn("bad colour '" + value + "'");
          setOption('color', rgb.join(','));
        } else if (name === 'framerate') {
          frameRate(value);
        } else {
          setOption(name, String(value));
        }
      });
    },
    applyGeneralProperties: function (properties) {
      if (properties.fps !== undefined) {
        hostFrameLimit = Math.max(0, Number(properties.fps) || 0);
      }
    },
    setPaused: function (paused) { pause(paused); }
  };

  Module['onRuntimeInitialized'] = function () {
    var seed = new Uint32Array(1);
    window.crypto.getRandomValues(seed);
    vapryx.seed = seed[0];
    vapryx.ready = true;
    // An unescaped # in the query (?color=#ff8000) starts the fragment: it is read as part
    // of the query. Without a query, the fragment alone holds the settings.
    var search = window.location.search, hash = window.location.hash;
    new URLSearchParams(search ? search.slice(1) + hash : hash.slice(1)).forEach(function (value, name) {
      setOption(name, value);
    });
    pending.splice(0).forEach(function (entry) { setOption(entry[0], entry[1]); });
    prepare();
  };
})();
