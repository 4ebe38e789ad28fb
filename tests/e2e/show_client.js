// show from a JScript client, with the calls and checks of show_client.vbs:
// JScript passes values where VBScript passes references, and receives a
// failure as a thrown error with its number and description. Another
// process (window_closer) presses OK on each window that opens.
var failures = 0;

function check(condition, message) {
    if (condition !== true) {
        WScript.Echo("FAILED: " + message);
        failures++;
    }
}

// The error a call throws, or null when it throws none.
function errorOf(call) {
    try {
        call();
    } catch (error) {
        return error;
    }
    return null;
}

function describe(error) {
    return error ? (error.number & 0xFFFF) + " " + error.description : "no error";
}

function run() {
    var bill = new ActiveXObject("Quistral.IBillInfo.Steering");
    var props = new ActiveXObject("Venlock.ShareProps.Steering");
    bill.Reset();
    props.Reset();
    props.AnswerWith("jscript-session");

    var validate = new ActiveXObject("Ambrelle.ClsValidate");
    var shown, error;

    // One window for each kind, closed by the other process.
    var billId = 1001;
    for (var kind = 0; kind <= 2; kind++) {
        validate.FID = billId;
        validate.QueryClass = kind;
        shown = undefined;
        error = errorOf(function () { shown = validate.show(); });
        check(error === null, "show of kind " + kind + ": " + describe(error));
        check(shown === true, "show of kind " + kind + " returns true, got " + shown);
        check(bill.LastQueryKind === kind, "the service got kind " + kind);
    }
    check(bill.LastBillId === 1001, "the service got the bill id");
    check(bill.LastPropsString === "jscript-session", "the session string reached the service");

    // A refused query: false at once, no window.
    bill.ReturnResult(false);
    shown = undefined;
    error = errorOf(function () { shown = validate.show(); });
    check(error === null, "a refused show throws nothing: " + describe(error));
    check(shown === false, "a refused show returns false, got " + shown);

    // A failing service: its number and description reach the script.
    bill.Reset();
    bill.FailWith(1234, "Quistral.IBillInfo", "Bill not found");
    error = errorOf(function () { validate.show(); });
    check(error !== null && (error.number & 0xFFFF) === 1234, "error number 1234, got " + describe(error));
    check(error !== null && error.description === "Bill not found", "error description, got " + describe(error));

    // A Null session string cannot be text.
    bill.Reset();
    props.AnswerWith(null);
    error = errorOf(function () { validate.show(); });
    check(error !== null && (error.number & 0xFFFF) === 94, "Null session: error 94, got " + describe(error));
    check(bill.CallCount === 0, "no query is made");
}

// cscript ends a script that throws with exit code 0: a throw is a failure.
var uncaught = errorOf(run);
check(uncaught === null, "the client ran to its end: " + describe(uncaught));
WScript.Quit(failures);
