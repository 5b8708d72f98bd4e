// node bench/lighthouse-tasks.mjs TRACE [MS]: the page's own main-thread
// tasks in a trace Lighthouse saved (--save-assets) that last MS ms or more
// (50 unless told) as its mobile figures count them, each with the last of
// the page's zentrik-* marks before it and the events that took its time:
// what make bench says of the longest own task, where it came from.
//
// Lighthouse times a traced task four times over (twice where it lays the
// page out) to stand for a mid-range phone, and names the script or page
// it attributes it to; a task of the browser's own has none and is left
// out, as the bench leaves it out. Each task also says how much of its
// time the page's thread ran on a core, as traced and counted as Lighthouse
// counts the task: the rest it waited for one, while other threads and
// processes (the browser's, Lighthouse's) had both of this machine's.

import fs from 'fs';
import {MainThreadTasks} from '../tools/lighthouse/node_modules/lighthouse/core/lib/tracehouse/main-thread-tasks.js';
import {TraceProcessor} from '../tools/lighthouse/node_modules/lighthouse/core/lib/tracehouse/trace-processor.js';

const [tracePath, least = '50'] = process.argv.slice(2);
const trace = JSON.parse(fs.readFileSync(tracePath, 'utf8'));
const processed = TraceProcessor.processTrace(trace);
const tasks = MainThreadTasks.getMainThreadTasks(processed.mainThreadEvents, processed.frames,
    processed.timestamps.traceEnd, processed.timestamps.timeOrigin);
const marks = trace.traceEvents
    .filter(event => (event.cat || '').startsWith('blink.user_timing') && event.name.startsWith('zentrik-'))
    .sort((a, b) => a.ts - b.ts);

// An address's path; Lighthouse's own scripts in the page have a bare name.
function pathOf(source) {
    try {
        return new URL(source).pathname;
    } catch {
        return source;
    }
}

const laysOut = task => task.event.name === 'Layout' || task.children.some(laysOut);
// The five kinds of event that took most of a task's time, nested ones included.
function spentOn(task) {
    const spent = new Map();
    const walk = node => node.children.forEach(child => {
        spent.set(child.event.name, (spent.get(child.event.name) || 0) + child.duration);
        walk(child);
    });
    walk(task);
    return [...spent].sort((a, b) => b[1] - a[1]).slice(0, 5)
        .map(([name, ms]) => `${name} ${ms.toFixed(1)}`).join(', ');
}

for (const task of tasks.filter(task => !task.parent)) {
    const source = task.attributableURLs.find(url => url.endsWith('.js')) || task.attributableURLs[0];
    const counted = task.duration * (laysOut(task) ? 2 : 4);
    if (!source || counted < Number(least))
        continue;
    const mark = marks.filter(event => event.ts <= task.event.ts).pop();
    const ran = (task.event.tdur || 0) / 1000;
    // The page's own time on a core, counted as Lighthouse counts the task.
    const ranCounted = ran * (laysOut(task) ? 2 : 4);
    console.log(`${counted.toFixed(0)} ms (${task.duration.toFixed(1)} traced, ${ran.toFixed(1)} on a core,`
        + ` ${ranCounted.toFixed(0)} counted) after ${mark ? mark.name : 'the navigation'}`
        + ` in ${pathOf(source)}: ${spentOn(task)}`);
}
